#include "SignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quillon::cli {

namespace {

int gPipe[2] = {-1, -1};

extern "C" void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: a signal is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent), handled_(signalNumbers) {
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return; // the signals keep their default effect
    }
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalWatcher::ReadPipe);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : handled_) {
        ::sigaction(number, &action, nullptr);
    }
}

SignalWatcher::~SignalWatcher() {
    if (gPipe[0] < 0) {
        return;
    }
    for (int number : handled_) {
        std::signal(number, SIG_DFL);
    }
    delete notifier_;
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void SignalWatcher::ReadPipe() {
    unsigned char byte = 0;
    while (::read(gPipe[0], &byte, 1) == 1) {
        if (caught_ == 0) {
            caught_ = byte;
        }
        emit Raised(byte);
    }
}

} // namespace quillon::cli
