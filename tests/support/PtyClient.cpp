#include "PtyClient.h"

#include "protocol/FrameFormat.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyClient::~PtyClient() {
    Close();
}

bool PtyClient::Open(const QString& device) {
    Close();
    fd_ = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

namespace {

// An opening of the device for its line settings alone, closed again when done.
class SettingsOpening {
public:
    explicit SettingsOpening(const QString& device)
        : fd_(::open(device.toLocal8Bit().constData(),
                     O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~SettingsOpening() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SettingsOpening(const SettingsOpening&) = delete;
    SettingsOpening& operator=(const SettingsOpening&) = delete;
    bool Read(termios& tio) const { return fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0; }
    bool Write(const termios& tio) const { return ::tcsetattr(fd_, TCSANOW, &tio) == 0; }

private:
    int fd_;
};

} // namespace

std::optional<bool> PtyClient::HangsUpOnClose(const QString& device) {
    termios tio{};
    if (!SettingsOpening(device).Read(tio)) {
        return std::nullopt;
    }
    return (tio.c_cflag & HUPCL) != 0;
}

bool PtyClient::SetHangUpOnClose(const QString& device) {
    const SettingsOpening opening(device);
    termios tio{};
    if (!opening.Read(tio)) {
        return false;
    }
    tio.c_cflag |= HUPCL;
    return opening.Write(tio);
}

void PtyClient::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    codec_ = quillon::protocol::ProtocolCodec();
}

bool PtyClient::Send(const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        if (n > 0) {
            done += std::size_t(n);
        }
    }
    return true;
}

bool PtyClient::Command(uint8_t seq, uint8_t code, std::initializer_list<uint8_t> payload) {
    return Send(quillon::protocol::ProtocolCodec::Encode(seq, code, payload));
}

PtyClient::Result PtyClient::Receive(quillon::protocol::ProtocolCodec::Frame& frame, int timeoutMs,
                                     Partial partial) {
    const bool idleRule = partial == Partial::GiveUpWhenIdle;
    constexpr int kIdleMs = quillon::protocol::LineFormat::kLineIdleMs;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceByte;
    sinceByte.start();
    for (;;) {
        if (codec_.Next(frame)) {
            return Result::Frame;
        }
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0) {
            return Result::Timeout;
        }
        int wait = left;
        if (idleRule && codec_.HasPartial()) {
            wait = std::max(0, std::min(left, kIdleMs - int(sinceByte.elapsed())));
        }
        pollfd pfd{fd_, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) {
            return Result::HangUp;
        }
        if (ready > 0) {
            uint8_t buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                codec_.Feed(buffer, std::size_t(n));
                sinceByte.restart();
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                return Result::HangUp;
            }
            if (pfd.revents & POLLHUP) {
                return Result::HangUp;
            }
        }
        if (idleRule && codec_.HasPartial() && sinceByte.elapsed() >= kIdleMs) {
            codec_.LineIdle();
        }
    }
}
