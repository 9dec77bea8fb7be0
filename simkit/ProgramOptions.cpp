#include "ProgramOptions.h"

#include "StandardDescriptors.h"

#include <cstdio>
#include <cstdlib>

namespace quillon::simkit {

namespace {
constexpr int kBadOptionExit = 2;
} // namespace

ProgramOptions::ProgramOptions(const char* program, const char* usage)
    : program_(program), usage_(usage) {
    line.AddRows(table_);
}

std::optional<std::string> ProgramOptions::Parse(const std::vector<std::string>& args) const {
    return table_.Parse(args);
}

std::optional<int> ProgramOptions::Read(int argc, char* argv[]) {
    StandardDescriptors::Occupy();
    if (const auto problem = Parse(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fprintf(stderr, "%s: %s\n%s", program_, problem->c_str(), usage_);
        return kBadOptionExit;
    }
    if (line.help) {
        std::fputs(usage_, stdout);
        return EXIT_SUCCESS;
    }
    if (const auto problem = Complete()) {
        std::fprintf(stderr, "%s: %s\n", program_, problem->c_str());
        return EXIT_FAILURE;
    }
    return std::nullopt;
}

} // namespace quillon::simkit
