#include "SessionInput.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quillon::cli {

SessionInput::SessionInput(int fd) : fd_(fd) {
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionInput::ReadSome);
}

SessionInput::~SessionInput() = default;

std::optional<LineSplitter::Line> SessionInput::Take() {
    if (lines_.empty()) {
        return std::nullopt;
    }
    LineSplitter::Line line = std::move(lines_.front());
    lines_.pop_front();
    Listen();
    return line;
}

void SessionInput::Listen() {
    notifier_->setEnabled(lines_.empty() && !ended_);
}

void SessionInput::ReadSome() {
    std::array<char, LineSplitter::kMaxLineBytes> chunk{};
    const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (got < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (got <= 0) {
        ended_ = true;
        splitter_.Finish(lines_);
    } else {
        splitter_.Feed(std::string_view(chunk.data(), std::size_t(got)), lines_);
    }
    Listen();
    if (Ready()) {
        emit Arrived();
    }
}

} // namespace quillon::cli
