#include "StandardStreams.h"

#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace quillon::cli {

namespace {

bool IsClosed(int fd) {
    return ::fcntl(fd, F_GETFD) == -1;
}

// Lowest numbers first, so open() hands out the very number that is missing.
void FillWithNull(int fd) {
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0 || opened == fd) {
        return;
    }
    ::dup2(opened, fd);
    ::close(opened);
}

} // namespace

StandardOutput SecureStandardStreams() {
    StandardOutput output = StandardOutput::Open;
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (!IsClosed(fd)) {
            continue;
        }
        if (fd == STDOUT_FILENO) {
            output = StandardOutput::Closed;
        }
        FillWithNull(fd);
    }
    return output;
}

} // namespace quillon::cli
