#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// The board's LED: one short flash for traffic on the serial line or the bus, with a dark
// gap after it, so steady traffic shows as flicker rather than a steady light.
class StatusLed {
public:
    // Lit this long, then dark at least as long.
    static constexpr uint16_t kPhaseMs = 30;

    static void Start();
    // From anywhere, interrupt handlers included.
    static void Flash();
    // From the main loop.
    static void Update(uint16_t nowMs);
};

} // namespace firmware
} // namespace quillon
