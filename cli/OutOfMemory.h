#pragma once

#include "ExitStatus.h"

#include <new>

namespace quillon::cli {

// Says "quillon-cli: out of memory" on standard error without allocating anything.
void ReportOutOfMemory() noexcept;

// Says so and ends the process at once with kExitInternal. Nothing else runs: no
// destructor, no release of a held switch (that would need memory); the system closes the
// port as the process ends.
[[noreturn]] void ExitOutOfMemory() noexcept;

// From here on, a failed operator new ends the process where it failed, before unwinding
// runs cleanup that would itself need memory.
void ExitWhenNewFails() noexcept;

// Runs the program's body; when memory runs out in it, says so and gives kExitInternal
// instead of letting std::bad_alloc end the process with an abort.
template <class Body> int GuardMemory(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        return kExitInternal;
    }
}

} // namespace quillon::cli
