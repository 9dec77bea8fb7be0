#include "BoardOptions.h"
#include "BoardSimulator.h"
#include "FirmwareLocation.h"
#include "sim/StandardDescriptors.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// simavr keeps a few allocations (the IRQ pool of its I/O register hooks, its core object
// tables) until the process ends and frees them nowhere; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}
#endif

int main(int argc, char* argv[]) {
    quillon::sim::StandardDescriptors::Occupy();
    using quillon::boardsim::BoardOptions;
    BoardOptions options;
    std::string error;
    if (!BoardOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "quillon-board-sim: %s\n%s", error.c_str(),
                     BoardOptions::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(BoardOptions::Usage().c_str(), stdout);
        return 0;
    }
    if (options.firmware.empty()) {
        using quillon::boardsim::FirmwareLocation;
        const auto programDir = FirmwareLocation::ProgramDir();
        options.firmware = FirmwareLocation::Find(programDir).string();
        if (options.firmware.empty()) {
            std::string places;
            for (const auto& candidate : FirmwareLocation::Candidates(programDir)) {
                places += (places.empty() ? "" : " or ") + candidate.string();
            }
            std::fprintf(
                stderr,
                "quillon-board-sim: no firmware image at %s; name one with --firmware ELF\n",
                places.c_str());
            return EXIT_FAILURE;
        }
    }
    return quillon::boardsim::BoardSimulator(std::move(options)).Run();
}
