#pragma once

#include "simkit/LineOptions.h"
#include "simkit/OptionTable.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::boardsim {

// The board simulator's command line (docs/board-simulator.md): the line options both
// simulators take, plus the firmware image and the clock mode.
struct BoardOptions {
    simkit::LineOptions line;
    std::string firmware; // empty: quillon-firmware.elf next to the program
    bool fast = false;
    bool pulseWidths = false;
    bool writeTimes = false;

    // The rows of every option, storing into this object.
    simkit::OptionTable Table();
    // Returns the first thing it does not understand, if there is one.
    static std::optional<std::string> Parse(const std::vector<std::string>& args,
                                            BoardOptions& options);
    static std::string Usage();
};

} // namespace quillon::boardsim
