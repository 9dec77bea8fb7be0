#pragma once

#include "vantrel32/DevicePath.h"

#include <QString>

#include <optional>
#include <sys/types.h>

namespace quillon::cli {

// A look at a device path before the adapter library opens it, without opening it: opening
// a USB adapter resets the board, so the library's open must be the only one. Catches what
// the user most often gets wrong, with the library's advice how to fix it.
class DeviceCheck {
public:
    // What keeps the path from being a character device we may read and write, e.g. "no
    // such device (is the adapter plugged in?)"; none when nothing does.
    static std::optional<QString> Problem(const QString& path);
    // The same from what the system says of the device and of us.
    static std::optional<QString> Problem(const link::DevicePath::Access& access);
    // Whether the system files the character device under its terminals, as every serial
    // port is. Devices the system does not list (pseudo-terminals) count as terminals.
    static bool IsTerminalClass(dev_t device);
};

} // namespace quillon::cli
