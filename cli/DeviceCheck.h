#pragma once

#include <QString>

// A look at a device path before the adapter library opens it, without opening it: opening
// a USB adapter resets the board, so the library's open must be the only one. Catches what
// the user most often gets wrong, with a hint how to fix it.
class DeviceCheck {
public:
    // Empty when the path names a character device we may read and write; otherwise the
    // reason, e.g. "no such device (is the adapter plugged in?)".
    static QString Problem(const QString& path);
};
