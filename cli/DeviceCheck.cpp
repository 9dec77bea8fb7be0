#include "DeviceCheck.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quillon::cli {

using link::DevicePath;

std::optional<QString> DeviceCheck::Problem(const QString& path) {
    DevicePath::Access access;
    if (!DevicePath::ReadAccess(path, access)) {
        const int error = errno;
        if (error == ENOENT) {
            return QStringLiteral("no such device (is the adapter plugged in?)");
        }
        return QString::fromLocal8Bit(std::strerror(error));
    }
    // Opening /dev/null or a disk would fail in ways that blame another program; asking the
    // system's device list, not the device, keeps the library's open the only one.
    if (S_ISCHR(access.mode) && !IsTerminalClass(access.device)) {
        return QStringLiteral("not a serial device");
    }
    return Problem(access);
}

bool DeviceCheck::IsTerminalClass(dev_t device) {
    const QFileInfo subsystem(
        QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(major(device)).arg(minor(device)));
    if (!subsystem.isSymLink()) {
        return true;
    }
    return QFileInfo(subsystem.symLinkTarget()).fileName() == QLatin1String("tty");
}

std::optional<QString> DeviceCheck::Problem(const DevicePath::Access& access) {
    if (!S_ISCHR(access.mode)) {
        return QStringLiteral("not a serial device");
    }
    // One the system lets us read and write may still be held by another program: the
    // library's opening tells that case.
    if (DevicePath::MayReadWrite(access)) {
        return std::nullopt;
    }
    return QStringLiteral("permission denied (%1)").arg(DevicePath::PermissionAdvice(access));
}

} // namespace quillon::cli
