#include "BoardDevice.h"
#include "BoardOptions.h"
#include "simkit/LineRunner.h"

#if defined(__SANITIZE_ADDRESS__)
// simavr keeps a few allocations (the IRQ pool of its I/O register hooks, its core object
// tables) until the process ends and frees them nowhere; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libsimavr.so\n";
}
#endif

int main(int argc, char* argv[]) {
    using namespace quillon;
    return simkit::LineRunner::Main<boardsim::BoardOptions, boardsim::BoardDevice>(argc, argv);
}
