#pragma once

#include "protocol/LineFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::sim {

// The simulator's command line (docs/simulator.md).
struct SimOptions {
    static constexpr const char* kDefaultVersion = "Quillon Adapter V1.0 (simulator)";

    std::string link;
    std::string state;
    std::string version = kDefaultVersion;
    bool camera = false;
    bool noReply = false;
    int lateReplyMs = 0;
    // Deaf this long from the first byte on, as a board in its bootloader after the
    // reset that opening its port causes; 0: answers from the start.
    int bootMs = 0;
    int garbage = 0;
    int hangupAfter = 0; // 0: never
    bool pace = false;
    int baud = quillon::protocol::LineFormat::kBaud;
    std::optional<uint32_t> seed;
    bool help = false;

    // False with a message for anything it does not understand.
    static bool Parse(const std::vector<std::string>& args, SimOptions& options,
                      std::string& error);
    static std::string Usage();
};

} // namespace quillon::sim
