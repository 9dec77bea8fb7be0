#pragma once

#include "TwiMaster.h"
#include "simkit/ProgramOptions.h"

#include <optional>
#include <string>

namespace quillon::boardsim {

// The board simulator's command line (docs/board-simulator.md): the line options both
// simulators take, plus the firmware image, the clock mode and the reset circuit.
struct BoardOptions : simkit::ProgramOptions {
    // What optiboot, the bootloader of an Uno and of a Nano with the new bootloader, waits
    // for an upload after a reset before it starts the firmware.
    static constexpr int kDefaultBootMs = 1000;

    std::string firmware; // empty: quillon-firmware.elf next to the program
    bool fast = false;
    // The Uno's and Nano's auto-reset: DTR rising resets the board through a capacitor.
    bool autoReset = true;
    int bootMs = kDefaultBootMs;
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
