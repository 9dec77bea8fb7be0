#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// Milliseconds since start, from timer 0; wraps after 65.5 s, so compare differences.
class MilliClock {
public:
    static void Start();
    static uint16_t Now();
};

} // namespace firmware
} // namespace quillon
