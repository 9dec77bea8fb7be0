#pragma once

#include "LineOptions.h"
#include "OptionTable.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::simkit {

// A simulator's command line: the line options both programs take, and the rows a program
// adds for its own fields in its constructor. The rows point into the object, so it stays
// where it was made.
class ProgramOptions {
public:
    LineOptions line;

    ProgramOptions(const char* program, const char* usage);
    virtual ~ProgramOptions() = default;
    ProgramOptions(const ProgramOptions&) = delete;
    ProgramOptions& operator=(const ProgramOptions&) = delete;

    const char* Program() const { return program_; }
    const char* Usage() const { return usage_; }

    // Returns the first thing it does not understand, if there is one.
    std::optional<std::string> Parse(const std::vector<std::string>& args) const;

    // What main() does before the line opens: keeps the standard descriptors taken, reads
    // the command line, answers --help or a bad option, and completes the options. Returns
    // the exit code when the program is to end here (2 for a bad option, 0 after --help, 1
    // when the options cannot be completed); empty when it is to run.
    std::optional<int> Read(int argc, char* argv[]);

protected:
    // Fills in what the command line left to be found; returns why it could not.
    virtual std::optional<std::string> Complete() { return std::nullopt; }

    OptionTable& Table() { return table_; }

private:
    const char* program_;
    const char* usage_;
    OptionTable table_;
};

} // namespace quillon::simkit
