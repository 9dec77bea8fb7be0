#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::sim {

// The camera control unit as bus master: it reads its adjustment switches SW1..SW8 as the
// expander's port pins (active low) and notices each press and release.
class CameraUnit {
public:
    using Clock = std::chrono::steady_clock;

    // Port pin mask of switch SWn, index n - 1.
    static constexpr std::array<uint8_t, 8> kSwitchMask{0x08, 0x04, 0x02, 0x20,
                                                        0x10, 0x80, 0x40, 0x01};

    // The unit reads the port as it now is; returns one line per switch that changed,
    // releases before presses, each group in switch order.
    std::vector<std::string> ReadPort(uint8_t port, Clock::time_point when);

private:
    uint8_t last_ = 0xFF;
    std::array<Clock::time_point, 8> pressedAt_{};
};

} // namespace quillon::sim
