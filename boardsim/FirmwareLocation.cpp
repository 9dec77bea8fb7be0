#include "FirmwareLocation.h"

#ifndef QUILLON_BIN_TO_FIRMWAREDIR
#error "QUILLON_BIN_TO_FIRMWAREDIR: the installed firmware folder as seen from the programs"
#endif

namespace quillon::boardsim {

std::vector<std::filesystem::path>
FirmwareLocation::Candidates(const std::filesystem::path& programDir) {
    // The build tree's copy first, so a developer's run never picks up an older installed
    // image by accident.
    return {programDir / kImageName,
            (programDir / QUILLON_BIN_TO_FIRMWAREDIR / kImageName).lexically_normal()};
}

std::filesystem::path FirmwareLocation::Find(const std::filesystem::path& programDir) {
    for (const auto& candidate : Candidates(programDir)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return {};
}

std::filesystem::path FirmwareLocation::ProgramDir() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return self.parent_path();
}

} // namespace quillon::boardsim
