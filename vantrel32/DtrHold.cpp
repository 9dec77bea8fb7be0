#include "DtrHold.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace quillon::link {

namespace {

std::optional<QString> ClearHangUpOnClose(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return QStringLiteral("cannot read the line settings: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if ((settings.c_cflag & HUPCL) == 0) {
        return std::nullopt;
    }
    settings.c_cflag &= ~tcflag_t{HUPCL};
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        return QStringLiteral("cannot clear HUPCL: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> DtrHold::KeepUp(QSerialPort& port) {
    return ClearHangUpOnClose(static_cast<int>(port.handle()));
}

std::optional<QString> DtrHold::Close(QSerialPort& port) {
    const int held = ::fcntl(static_cast<int>(port.handle()), F_DUPFD_CLOEXEC, 0);
    port.close();
    if (held < 0) {
        return QStringLiteral("closed with HUPCL as found at opening: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    std::optional<QString> problem = ClearHangUpOnClose(held);
    ::close(held);
    return problem;
}

} // namespace quillon::link
