#include "BoardOptions.h"
#include "BoardSimulator.h"
#include "StandardDescriptors.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kFirmwareName = "quillon-firmware.elf";

// The build puts the firmware image next to this program.
std::string DefaultFirmware() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return kFirmwareName;
    }
    return (self.parent_path() / kFirmwareName).string();
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// simavr keeps a few allocations (the IRQ pool of its I/O register hooks, its core object
// tables) until the process ends and frees them nowhere; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}
#endif

int main(int argc, char* argv[]) {
    quillon::sim::StandardDescriptors::Occupy();
    using quillon::board::BoardOptions;
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
        options.firmware = DefaultFirmware();
    }
    return quillon::board::BoardSimulator(std::move(options)).Run();
}
