#include "CommandInput.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace quillon::simkit {

int CommandInput::Fd() const {
    return open_ ? STDIN_FILENO : -1;
}

std::optional<std::string> CommandInput::Read(const std::function<void(const std::string&)>& onLine,
                                              const std::function<bool()>& more) {
    char chunk[1024];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return std::nullopt;
    }
    if (got <= 0) {
        // Tests may close our input; the simulator goes on serving the line.
        open_ = false;
        if (!buffer_.empty()) {
            onLine(std::exchange(buffer_, {}));
        }
        return std::nullopt;
    }
    buffer_.append(chunk, static_cast<std::size_t>(got));
    std::size_t newline;
    while (more() && (newline = buffer_.find('\n')) != std::string::npos) {
        const std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        onLine(line);
    }
    if (buffer_.size() > maxLine_) {
        buffer_.clear();
        return "error command line longer than " + std::to_string(maxLine_) + " characters dropped";
    }
    return std::nullopt;
}

} // namespace quillon::simkit
