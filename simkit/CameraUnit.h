#pragma once

#include "adapter/KeypadSwitches.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::simkit {

// The camera control unit as bus master: it reads its adjustment switches SW1..SW8 as the
// expander's port pins (active low) and notices each press and release.
class CameraUnit {
public:
    using Clock = std::chrono::steady_clock;

    // The unit reads the port as it now is; returns one line per switch that changed,
    // releases before presses, each group in switch order (quillon::adapter::kSwitches).
    std::vector<std::string> ReadPort(uint8_t port, Clock::time_point when);

private:
    uint8_t last_ = quillon::adapter::kReleased;
    std::array<Clock::time_point, 8> pressedAt_{};
};

} // namespace quillon::simkit
