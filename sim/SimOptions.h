#pragma once

#include "protocol/CommandTable.h"
#include "protocol/FrameFormat.h"
#include "simkit/ProgramOptions.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::sim {

// The adapter simulator's command line (docs/simulator.md): the line options both
// simulators take, and the adapter's own.
struct SimOptions : simkit::ProgramOptions {
    static constexpr const char* kDefaultVersion = "Quillon Adapter V1.0 (simulator)";
    static constexpr int kDefaultBaud = protocol::LineFormat::kBaud;

    std::string version = kDefaultVersion;
    // Deaf this long from the first byte on, as a board in its bootloader after the
    // reset that opening its port causes; 0: answers from the start.
    int bootMs = 0;
    bool pace = false;
    int baud = kDefaultBaud;
    // A faulty adapter: every address change or save lands on this address, every pacing
    // it is told to set becomes this one, so its replies name something other than asked.
    std::optional<uint8_t> confirmAddress;
    std::optional<protocol::Pacing> confirmPacing;

    SimOptions();
};

} // namespace quillon::sim
