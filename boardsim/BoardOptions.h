#pragma once

#include "TwiMaster.h"
#include "simkit/ProgramOptions.h"

#include <optional>
#include <string>

namespace quillon::boardsim {

// The board simulator's command line (docs/board-simulator.md): the line options both
// simulators take, plus the firmware image and the clock mode.
struct BoardOptions : simkit::ProgramOptions {
    std::string firmware; // empty: quillon-firmware.elf next to the program
    bool fast = false;
    bool pulseWidths = false;
    bool writeTimes = false;
    bool pinSkew = false;
    TwiMaster::Stretching stretching = TwiMaster::Stretching::Honoured;
    int busKhz = 100;

    BoardOptions();

protected:
    // Without --firmware: the image next to the program.
    std::optional<std::string> Complete() override;
};

} // namespace quillon::boardsim
