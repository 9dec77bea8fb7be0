#include "DtrLine.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace quillon::simkit {

DtrLine::~DtrLine() {
    if (watch_ >= 0) {
        ::close(watch_);
    }
}

std::optional<std::string> DtrLine::Watch(const PtyPort& pty) {
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0) {
        return std::string("inotify: ") + std::strerror(errno);
    }
    if (::inotify_add_watch(watch_, pty.DevicePath().c_str(), IN_OPEN | IN_CLOSE) < 0) {
        std::string problem = "watching " + pty.DevicePath() + ": " + std::strerror(errno);
        ::close(watch_);
        watch_ = -1;
        return problem;
    }
    return std::nullopt;
}

int DtrLine::TakeRises(const PtyPort& pty) {
    int rises = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(watch_, buffer, sizeof buffer);
        if (got <= 0) {
            return rises;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_OPEN) != 0) {
                ++clients_;
                if (!up_) {
                    up_ = true;
                    ++rises;
                }
            }
            if ((event->mask & IN_CLOSE) != 0 && clients_ > 0 && --clients_ == 0 &&
                pty.HangsUpOnClose()) {
                up_ = false;
            }
        }
    }
}

} // namespace quillon::simkit
