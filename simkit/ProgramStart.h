#pragma once

#include "OptionTable.h"

#include <optional>
#include <string>

namespace quillon::simkit {

// What both simulators' main() does before the line opens: keep the standard descriptors
// taken, read the command line, and answer --help or a bad option.
class ProgramStart {
public:
    // Returns the exit code when the program is to end here (2 for a bad option, 0 after
    // the usage asked for with --help); empty when it is to run. help is the flag the
    // table's --help row sets.
    static std::optional<int> Read(const char* program, int argc, char* argv[],
                                   const OptionTable& table, const std::string& usage,
                                   const bool& help);
};

} // namespace quillon::simkit
