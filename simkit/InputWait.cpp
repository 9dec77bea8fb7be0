#include "InputWait.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>

namespace quillon::simkit {

namespace {

volatile std::sig_atomic_t gStopSignal = 0;
sigset_t gWaitMask;

void OnStopSignal(int signal) {
    gStopSignal = signal;
}

} // namespace

InputWait::InputWait() {
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &gWaitMask);
    sigdelset(&gWaitMask, SIGINT);
    sigdelset(&gWaitMask, SIGTERM);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

InputWait::Result InputWait::Wait(int ptyFd, bool ptyWritable, int stdinFd, int dtrFd,
                                  std::optional<std::chrono::nanoseconds> timeout, Ready& ready) {
    ready = Ready{};
    pollfd fds[3]{};
    fds[0].fd = ptyFd;
    fds[0].events = static_cast<short>(POLLIN | (ptyWritable ? POLLOUT : 0));
    fds[1].fd = stdinFd;
    fds[1].events = POLLIN;
    fds[2].fd = dtrFd;
    fds[2].events = POLLIN;
    timespec wait{};
    timespec* waitPtr = nullptr;
    if (timeout) {
        const auto ns = std::max<std::chrono::nanoseconds::rep>(0, timeout->count());
        wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        waitPtr = &wait;
    }
    const int count = ::ppoll(fds, 3, waitPtr, &gWaitMask);
    if (gStopSignal != 0) {
        return Result::Stopped;
    }
    if (count < 0) {
        if (errno == EINTR) {
            return Result::Ready; // some other signal: nothing is ready, just wait again
        }
        failure_ = std::string("poll: ") + std::strerror(errno);
        return Result::Failed;
    }
    // Our own slave descriptor keeps the master from seeing a hang-up; should one come
    // anyway, carrying on would only spin on it.
    if ((fds[0].revents & (POLLERR | POLLNVAL | POLLHUP)) != 0) {
        failure_ = "pseudo-terminal failed";
        return Result::Failed;
    }
    ready.ptyReadable = (fds[0].revents & POLLIN) != 0;
    ready.stdinReady = (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
    ready.dtrChanged = (fds[2].revents & POLLIN) != 0;
    return Result::Ready;
}

} // namespace quillon::simkit
