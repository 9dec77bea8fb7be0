#include "OutOfMemory.h"

#include <unistd.h>

namespace quillon::cli {

void ReportOutOfMemory() noexcept {
    static constexpr char kMessage[] = "quillon-cli: out of memory\n";
    // Standard error failing too leaves nowhere to tell it.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
}

void ExitOutOfMemory() noexcept {
    ReportOutOfMemory();
    ::_exit(kExitInternal);
}

void ExitWhenNewFails() noexcept {
    std::set_new_handler(&ExitOutOfMemory);
}

} // namespace quillon::cli
