#pragma once

#include <filesystem>
#include <vector>

namespace quillon::boardsim {

// Where the board simulator finds the firmware image when none is named on its command
// line. In a build tree the image lies next to the program; once installed it lies in the
// package's data folder, found relative to the program so that an installed tree works
// wherever it was put (/usr, /usr/local, a folder a package was unpacked into).
class FirmwareLocation {
public:
    static constexpr const char* kImageName = "quillon-firmware.elf";

    // The places looked at for a program in programDir, in order.
    static std::vector<std::filesystem::path> Candidates(const std::filesystem::path& programDir);
    // The first of them that is a regular file; empty when there is none.
    static std::filesystem::path Find(const std::filesystem::path& programDir);
    // The folder of the running program (empty when the system does not say).
    static std::filesystem::path ProgramDir();
};

} // namespace quillon::boardsim
