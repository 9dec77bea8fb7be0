#pragma once

#include "sim/SimOptions.h"

#include <string>
#include <vector>

namespace quillon::boardsim {

// The board simulator's command line (docs/board-simulator.md): the adapter simulator's
// options where they mean something for a real board, plus the firmware image and the
// clock mode.
struct BoardOptions {
    // link, state, camera, noReply, lateReplyMs, garbage, seed, hangupAfter as in the
    // adapter simulator; version, pace and baud are the firmware's business.
    sim::SimOptions line;
    std::string firmware; // empty: quillon-firmware.elf next to the program
    bool fast = false;
    bool pulseWidths = false;
    bool writeTimes = false;
    bool help = false;

    static bool Parse(const std::vector<std::string>& args, BoardOptions& options,
                      std::string& error);
    static std::string Usage();
};

} // namespace quillon::boardsim
