#pragma once

#include <chrono>
#include <optional>

namespace quillon::sim {

// A simulator's one place of waiting: for its pseudo-terminal and standard input, until
// something comes, a wake-up time is due, or SIGINT / SIGTERM asks it to stop. The stop
// signals are let in only while it waits, so none is lost between checking for one and
// going to sleep; a broken pipe on output never kills the process.
class InputWait {
public:
    enum class Result { Ready, Stopped, Failed };

    struct Ready {
        bool ptyReadable = false;
        // The pseudo-terminal reports an error or a hang-up: carrying on would only spin.
        bool ptyFailed = false;
        bool stdinReady = false;
    };

    // Installs the signal handling for the rest of the process's life.
    InputWait();

    // stdinFd < 0 leaves standard input out; no timeout waits until something comes.
    // Failed leaves errno as the system set it.
    Result Wait(int ptyFd, bool ptyWritable, int stdinFd,
                std::optional<std::chrono::nanoseconds> timeout, Ready& ready);
};

} // namespace quillon::sim
