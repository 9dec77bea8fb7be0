#pragma once

#include "OptionTable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::simkit {

// The options both simulators take for their serial line and its faults
// (docs/simulator.md, docs/board-simulator.md); each program adds its own rows.
struct LineOptions {
    // The longest --late-reply (and the adapter simulator's --boot-ms): an hour.
    static constexpr long long kMaxDelayMs = 3'600'000;
    static constexpr long long kMaxGarbage = 4096;

    std::string link;
    std::string state;
    bool camera = false;
    bool noReply = false;
    int lateReplyMs = 0;
    int garbage = 0;
    int hangupAfter = 0; // 0: never
    std::optional<uint32_t> seed;
    bool help = false;

    // Adds the rows of these options, storing into this object.
    void AddRows(OptionTable& table);
};

} // namespace quillon::simkit
