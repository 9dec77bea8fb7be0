#include "DevicePath.h"

#include <QByteArray>
#include <QFile>

#include <grp.h>
#include <sys/stat.h>

namespace vantrel {

QString DevicePath::ForComPort(int32_t comPort) {
    const QByteArray name = "VANTREL_COM" + QByteArray::number(comPort);
    const QByteArray overridden = qgetenv(name.constData());
    if (!overridden.isEmpty()) {
        return QFile::decodeName(overridden);
    }
    return QStringLiteral("/dev/ttyS%1").arg(static_cast<int64_t>(comPort) - 1);
}

QString DevicePath::OpenFailure(const QString& path, QSerialPort::SerialPortError error,
                                const QString& reason) {
    QString line = QStringLiteral("Vantrel32: cannot open %1: %2").arg(path, reason);
    if (error == QSerialPort::PermissionError) {
        const QString group = OwningGroup(path);
        if (!group.isEmpty()) {
            line += QStringLiteral(" (add yourself to group %1 and log in again)").arg(group);
        } else {
            line += QStringLiteral(" (ask for read and write access to the device)");
        }
    }
    return line;
}

QString DevicePath::OwningGroup(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {};
    }
    // getgrgid_r: the link thread must not share getgrgid's static buffer with the host.
    group entry{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || !found) {
        return {};
    }
    return QString::fromLocal8Bit(found->gr_name);
}

} // namespace vantrel
