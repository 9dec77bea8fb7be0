#include "ClockHolds.h"

#include "TwiStatus.h"
#include "simkit/HexText.h"

#include <algorithm>
#include <cstdio>

namespace quillon::boardsim {

namespace {

const char* StatusName(uint8_t status) {
    switch (status) {
    case kOwnAddressWrite:
        return "address for write";
    case kDataReceived:
        return "data received";
    case kDataRefused:
        return "data refused";
    case kStopOrRestart:
        return "STOP or repeated START";
    case kOwnAddressRead:
        return "address for read";
    case kDataSentAcked:
        return "data sent, ACK";
    case kDataSentNotAcked:
        return "data sent, NACK";
    default:
        return "other";
    }
}

} // namespace

void ClockHolds::Held(uint8_t status, Cycle cycles) {
    Worst& worst = byStatus_[status];
    worst.cycles = std::max(worst.cycles, cycles);
    ++worst.count;
}

std::string ClockHolds::Microseconds(Cycle cycles) const {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f us", double(cycles) / cyclesPerUs_);
    return text;
}

std::vector<std::string> ClockHolds::Lines() const {
    std::vector<std::string> lines;
    for (const auto& [status, worst] : byStatus_) {
        lines.push_back("clock hold " + simkit::HexText::Byte(status) + " " + StatusName(status) +
                        ": worst " + std::to_string(worst.cycles) + " cycles (" +
                        Microseconds(worst.cycles) + ") over " + std::to_string(worst.count));
    }
    return lines;
}

} // namespace quillon::boardsim
