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

    // From the bus interrupt or the main loop; interrupts are off for the stores only.
    // All eight pins change within a microsecond.
    static void Write(uint8_t value);
    static uint8_t Image() { return image; }

    // Holds the line low for the pulse width of BoardLayout.h and returns once it is
    // released. Interrupts stay on: the bus and the serial line are served meanwhile.
    static void Pulse(InterruptLine line);

    // The port byte last written, the byte a master read gets. Public only for the bus
    // interrupt's assembly head, which loads it by its address.
    static volatile uint8_t image;
};

} // namespace firmware
} // namespace quillon
