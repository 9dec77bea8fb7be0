#include "DeviceCheck.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString OwningGroup(gid_t gid) {
    group entry{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || !found) {
        return {};
    }
    return QString::fromLocal8Bit(found->gr_name);
}

} // namespace

QString DeviceCheck::Problem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT) {
            return QStringLiteral("no such device (is the adapter plugged in?)");
        }
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!S_ISCHR(info.st_mode)) {
        return QStringLiteral("not a serial device");
    }
    if (::access(name.constData(), R_OK | W_OK) != 0) {
        const int error = errno;
        const QString group = OwningGroup(info.st_gid);
        if (error == EACCES && !group.isEmpty()) {
            return QStringLiteral("permission denied (add yourself to group %1 and log in again)")
                .arg(group);
        }
        return QString::fromLocal8Bit(std::strerror(error));
    }
    return {};
}
