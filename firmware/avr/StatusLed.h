#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// The board's LED: one short flash for traffic on the serial line or the bus, with a dark
// gap after it, so steady traffic shows as flicker rather than a steady light.
class StatusLed {
public:
    static constexpr uint16_t kOnMs = 30;
    static constexpr uint16_t kOffMs = 30;

    static void Start();
    // From anywhere, interrupt handlers included.
    static void Flash();
    // From the main loop.
    static void Update(uint16_t nowMs);
};

} // namespace firmware
} // namespace quillon
