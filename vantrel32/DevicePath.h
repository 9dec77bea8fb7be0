#pragma once

#include <QSerialPort>
#include <QString>

#include <cstdint>

namespace vantrel {

// Where COM port n lives on this system, and what to tell the operator when it cannot be
// opened.
class DevicePath {
public:
    // VANTREL_COM<n> when set, else the n-th on-board serial port /dev/ttyS<n-1>.
    static QString ForComPort(int32_t comPort);

    // One line: the device, the system's reason and, for a permission problem, the fix.
    static QString OpenFailure(const QString& path, QSerialPort::SerialPortError error,
                               const QString& reason);

private:
    static QString OwningGroup(const QString& path);
};

} // namespace vantrel
