#include "StderrCatcher.h"

#include <QSocketNotifier>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

StderrCatcher::StderrCatcher(QByteArray prefix, QObject* parent)
    : QObject(parent), prefix_(std::move(prefix)) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return; // nothing caught: the library's line goes straight to the user
    }
    std::fflush(stderr);
    savedFd_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (savedFd_ < 0 || ::dup2(fds[1], STDERR_FILENO) < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        if (savedFd_ >= 0) {
            ::close(savedFd_);
            savedFd_ = -1;
        }
        return;
    }
    ::close(fds[1]);
    readFd_ = fds[0];
    // Only the reading end is non-blocking: a writer waits for room rather than lose text.
    ::fcntl(readFd_, F_SETFL, ::fcntl(readFd_, F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
}

StderrCatcher::~StderrCatcher() {
    Stop();
}

void StderrCatcher::Stop() {
    if (readFd_ < 0) {
        return;
    }
    std::fflush(stderr);
    // The pipe's writing end closes with this, so the drain below meets its end.
    ::dup2(savedFd_, STDERR_FILENO);
    ::close(savedFd_);
    savedFd_ = -1;
    delete notifier_;
    notifier_ = nullptr;
    Drain();
    TakeLines(true);
    ::close(readFd_);
    readFd_ = -1;
}

void StderrCatcher::Drain() {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(readFd_, buffer, sizeof buffer)) > 0) {
        pending_.append(buffer, got);
    }
    TakeLines(false);
}

void StderrCatcher::TakeLines(bool flushPartial) {
    const int passOn = savedFd_ >= 0 ? savedFd_ : STDERR_FILENO;
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0 || (flushPartial && !pending_.isEmpty())) {
        const qsizetype length = end >= 0 ? end + 1 : pending_.size();
        const QByteArray line = pending_.left(length);
        pending_.remove(0, length);
        if (line.startsWith(prefix_)) {
            caught_ << QString::fromLocal8Bit(line.trimmed());
            continue;
        }
        for (qsizetype done = 0; done < line.size();) {
            const ssize_t written =
                ::write(passOn, line.constData() + done, static_cast<size_t>(line.size() - done));
            if (written <= 0) {
                break;
            }
            done += written;
        }
    }
}
