#include "BoardDevice.h"
#include "BoardOptions.h"
#include "FirmwareLocation.h"
#include "simkit/LineRunner.h"
#include "simkit/ProgramStart.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// simavr keeps a few allocations (the IRQ pool of its I/O register hooks, its core object
// tables) until the process ends and frees them nowhere; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}
#endif

namespace {

constexpr const char* kProgram = "quillon-board-sim";
// Room for a write command of the longest master write in hex.
constexpr std::size_t kMaxCommandLine = 16384;

// The image next to the program when none is named; false after saying where it looked.
bool FindFirmware(std::string& firmware) {
    using quillon::boardsim::FirmwareLocation;
    const auto programDir = FirmwareLocation::ProgramDir();
    firmware = FirmwareLocation::Find(programDir).string();
    if (!firmware.empty()) {
        return true;
    }
    std::string places;
    for (const auto& candidate : FirmwareLocation::Candidates(programDir)) {
        places += (places.empty() ? "" : " or ") + candidate.string();
    }
    std::fprintf(stderr, "%s: no firmware image at %s; name one with --firmware ELF\n", kProgram,
                 places.c_str());
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace quillon;
    boardsim::BoardOptions options;
    if (const auto exit =
            simkit::ProgramStart::Read(kProgram, argc, argv, options.Table(),
                                       boardsim::BoardOptions::Usage(), options.line.help)) {
        return *exit;
    }
    if (options.firmware.empty() && !FindFirmware(options.firmware)) {
        return EXIT_FAILURE;
    }
    boardsim::BoardDevice device(options);
    return simkit::LineRunner(kProgram, options.line, device, kMaxCommandLine).Run();
}
