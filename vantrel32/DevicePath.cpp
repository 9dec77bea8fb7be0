#include "DevicePath.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace quillon::link {

namespace {
constexpr gid_t kRootGroup = 0;
constexpr uid_t kRootUser = 0;
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;
constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
constexpr mode_t kOtherReadWrite = S_IROTH | S_IWOTH;
} // namespace

QString DevicePath::OpenFailure(const QString& path, QSerialPort::SerialPortError error,
                                const QString& reason, int comNumber) {
    return QStringLiteral("Vantrel32: cannot open %1: %2")
        .arg(path, OpenReason(error, path, reason, comNumber));
}

QString DevicePath::OpenReason(QSerialPort::SerialPortError error, const QString& path,
                               const QString& reason, int comNumber) {
    QString line = reason;
    if (error == QSerialPort::PermissionError) {
        Access access;
        if (ReadAccess(path, access)) {
            line += QStringLiteral(" (%1)").arg(PermissionAdvice(access));
        }
    } else if (error == QSerialPort::DeviceNotFoundError && comNumber > 0) {
        // A board that is unplugged keeps its number; say whose number it is.
        line += QStringLiteral(" (COM%1 is this device's number: plug it in)").arg(comNumber);
    }
    return line;
}

QString DevicePath::PermissionAdvice(const Access& access) {
    if (MayReadWrite(access)) {
        return QStringLiteral("the device is in use by another program");
    }
    if (access.group != kRootGroup && (access.mode & kGroupReadWrite) == kGroupReadWrite &&
        !access.groupName.isEmpty()) {
        return QStringLiteral("add yourself to group %1 and log in again").arg(access.groupName);
    }
    return QStringLiteral("ask for read and write access to the device");
}

bool DevicePath::MayReadWrite(const Access& access) {
    if (access.kernel != KernelAnswer::NotAsked) {
        return access.kernel == KernelAnswer::Granted;
    }
    if (access.user == kRootUser) {
        return true;
    }
    // The kernel looks at one set of bits only: the owner's, else the group's, else the
    // others'.
    if (access.user == access.owner) {
        return (access.mode & kOwnerReadWrite) == kOwnerReadWrite;
    }
    const auto& groups = access.userGroups;
    if (std::find(groups.begin(), groups.end(), access.group) != groups.end()) {
        return (access.mode & kGroupReadWrite) == kGroupReadWrite;
    }
    return (access.mode & kOtherReadWrite) == kOtherReadWrite;
}

bool DevicePath::ReadAccess(const QString& path, Access& access) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return false;
    }
    // Asked with the effective ids, as opening the file is decided; a system that cannot
    // answer leaves the decision to the mode bits.
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0) {
        access.kernel = KernelAnswer::Granted;
    } else if (errno == EACCES) {
        access.kernel = KernelAnswer::Refused;
    }
    access.owner = info.st_uid;
    access.group = info.st_gid;
    access.mode = info.st_mode;
    access.device = info.st_rdev;
    access.user = ::geteuid();
    access.userGroups = {::getegid()};
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> more(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, more.data());
        more.resize(static_cast<std::size_t>(std::max(got, 0)));
        access.userGroups.insert(access.userGroups.end(), more.begin(), more.end());
    }
    // getgrgid_r: the link thread must not share getgrgid's static buffer with the host.
    group entry{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) == 0 && found) {
        access.groupName = QString::fromLocal8Bit(found->gr_name);
    }
    return true;
}

} // namespace quillon::link
