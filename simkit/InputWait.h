#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace quillon::simkit {

// A simulator's one place of waiting: for its pseudo-terminal and standard input, until
// something comes, a wake-up time is due, or SIGINT / SIGTERM asks it to stop. The stop
// signals are let in only while it waits, so none is lost between checking for one and
// going to sleep; a broken pipe on output never kills the process.
class InputWait {
public:
    enum class Result { Ready, Stopped, Failed };

    struct Ready {
        bool ptyReadable = false;
        bool stdinReady = false;
        bool dtrChanged = false;
    };

    // Installs the signal handling for the rest of the process's life.
    InputWait();

    // stdinFd < 0 leaves standard input out, dtrFd < 0 the watch of the DTR line; no
    // timeout waits until something comes. Failed: the wait itself failed, or the
    // pseudo-terminal did (Failure() says which).
    Result Wait(int ptyFd, bool ptyWritable, int stdinFd, int dtrFd,
                std::optional<std::chrono::nanoseconds> timeout, Ready& ready);
    const std::string& Failure() const { return failure_; }

private:
    std::string failure_;
};

} // namespace quillon::simkit
