#include "ProgramStart.h"

#include "StandardDescriptors.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quillon::simkit {

namespace {
constexpr int kBadOptionExit = 2;
} // namespace

std::optional<int> ProgramStart::Read(const char* program, int argc, char* argv[],
                                      const OptionTable& table, const std::string& usage,
                                      const bool& help) {
    StandardDescriptors::Occupy();
    if (const auto problem = table.Parse(std::vector<std::string>(argv + 1, argv + argc))) {
        std::fprintf(stderr, "%s: %s\n%s", program, problem->c_str(), usage.c_str());
        return kBadOptionExit;
    }
    if (help) {
        std::fputs(usage.c_str(), stdout);
        return EXIT_SUCCESS;
    }
    return std::nullopt;
}

} // namespace quillon::simkit
