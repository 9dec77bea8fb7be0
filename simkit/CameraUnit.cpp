#include "CameraUnit.h"

#include <cmath>

namespace quillon::simkit {

std::vector<std::string> CameraUnit::ReadPort(uint8_t port, Clock::time_point when) {
    std::vector<std::string> lines;
    const uint8_t pressedBefore = static_cast<uint8_t>(~last_);
    const uint8_t pressedNow = static_cast<uint8_t>(~port);
    for (std::size_t i = 0; i < quillon::adapter::kSwitches.size(); ++i) {
        const quillon::adapter::Switch& sw = quillon::adapter::kSwitches[i];
        if ((pressedBefore & sw.mask) && !(pressedNow & sw.mask)) {
            const std::chrono::duration<double, std::milli> held = when - pressedAt_[i];
            lines.push_back(std::string(sw.name) + " released after " +
                            std::to_string(std::llround(held.count())) + " ms");
        }
    }
    for (std::size_t i = 0; i < quillon::adapter::kSwitches.size(); ++i) {
        const quillon::adapter::Switch& sw = quillon::adapter::kSwitches[i];
        if (!(pressedBefore & sw.mask) && (pressedNow & sw.mask)) {
            pressedAt_[i] = when;
            lines.push_back(std::string(sw.name) + " pressed");
        }
    }
    last_ = port;
    return lines;
}

} // namespace quillon::simkit
