#include "DeviceCheck.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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
    return Problem(access);
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
