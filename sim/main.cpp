#include "SimOptions.h"
#include "Simulator.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
// Started with stdin, stdout or stderr closed, the pseudo-terminal could get one of those
// numbers, and event lines (or stdin commands) would go over the serial line.
void OccupyStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0) {
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}
} // namespace

int main(int argc, char* argv[]) {
    OccupyStandardDescriptors();
    using quillon::sim::SimOptions;
    SimOptions options;
    std::string error;
    if (!SimOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "quillon-adapter-sim: %s\n%s", error.c_str(),
                     SimOptions::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimOptions::Usage().c_str(), stdout);
        return 0;
    }
    return quillon::sim::Simulator(std::move(options)).Run();
}
