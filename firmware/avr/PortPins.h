#pragma once

#include "firmware/core/BoardIo.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The expander's port on the pins P0..P7 of BoardLayout.h, behaving as the chip's
// quasi-bidirectional pins do: a 0 bit drives the pin low, a 1 bit releases it with the
// pull-up on, so whatever is wired to it can still pull it low. Also the two open-drain
// interrupt lines.
class PortPins {
public:
    // Power-on state: port 0xFF (every pin released), interrupt lines released.
    static void Start();

    // Only from an interrupt handler or with interrupts off: the bus interrupt writes the
    // same registers.
    static void Write(uint8_t value);
    static uint8_t Image();

    // Holds the line low for the pulse width of BoardLayout.h, with interrupts off so
    // the width is exact (the serial unit buffers a byte meanwhile and the bus unit
    // stretches the clock).
    static void Pulse(InterruptLine line);
};

} // namespace firmware
} // namespace quillon
