#pragma once

#include "simkit/LineOptions.h"
#include "simkit/OptionTable.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::sim {

// The adapter simulator's command line (docs/simulator.md): the line options both
// simulators take, and the adapter's own.
struct SimOptions {
    static constexpr const char* kDefaultVersion = "Quillon Adapter V1.0 (simulator)";
    static constexpr int kDefaultBaud = 9600;

    simkit::LineOptions line;
    std::string version = kDefaultVersion;
    // Deaf this long from the first byte on, as a board in its bootloader after the
    // reset that opening its port causes; 0: answers from the start.
    int bootMs = 0;
    bool pace = false;
    int baud = kDefaultBaud;

    // The rows of every option, storing into this object.
    simkit::OptionTable Table();
    // Returns the first thing it does not understand, if there is one.
    static std::optional<std::string> Parse(const std::vector<std::string>& args,
                                            SimOptions& options);
    static std::string Usage();
};

} // namespace quillon::sim
