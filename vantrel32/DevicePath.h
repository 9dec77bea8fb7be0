#pragma once

#include <QSerialPort>
#include <QString>

#include <sys/types.h>

#include <vector>

namespace quillon::link {

// What the operator reads when a serial device cannot be opened: one line naming the
// device and the system's reason, and for a refused opening what to do about it.
class DevicePath {
public:
    // The kernel's own answer to "may this process read and write the file?". It weighs
    // access control lists too, which the mode bits do not show: the entry systemd adds
    // for the person at the desktop (udev's uaccess tag, our package's udev rules) lets
    // them open a dialout device without being in dialout.
    enum class KernelAnswer { NotAsked, Granted, Refused };

    // Who may do what with the device, from stat(), and who this process is.
    struct Access {
        uid_t owner = 0;
        gid_t group = 0;
        mode_t mode = 0;
        // Which device a device file stands for (its major and minor numbers).
        dev_t device = 0;
        // The name of the device's group; empty when the system has none for it.
        QString groupName;
        uid_t user = 0;
        std::vector<gid_t> userGroups; // effective group first
        KernelAnswer kernel = KernelAnswer::NotAsked;
    };

    // The system's reason with advice in brackets where some fits, e.g. "Permission error
    // while locking the device (the device is in use by another program)"; comNumber > 0
    // names the COM number the device was looked up for.
    static QString OpenReason(QSerialPort::SerialPortError error, const QString& path,
                              const QString& reason, int comNumber = 0);
    // The line the library prints: "Vantrel32: cannot open <path>: <OpenReason>".
    static QString OpenFailure(const QString& path, QSerialPort::SerialPortError error,
                               const QString& reason, int comNumber = 0);

    // The advice for a refused opening. The system refuses a device it would let us read
    // and write only because another program holds it (its lock file or an exclusive
    // open); otherwise a group that may read and write it is worth joining, unless it is
    // group 0, which nobody should join for a serial port.
    static QString PermissionAdvice(const Access& access);

    // Whether the user may read and write the file: the kernel's answer when it was asked,
    // else what the owner, group and mode bits say.
    static bool MayReadWrite(const Access& access);
    // Who may do what with the file, without opening it; false, with errno as stat() left
    // it, when the file cannot be looked at.
    static bool ReadAccess(const QString& path, Access& access);
};

} // namespace quillon::link
