#pragma once

#include <QByteArray>
#include <QFile>

namespace quillon::testing {

// Resident set size of this process in KiB, from /proc; -1 where the system does not say.
// Benchmarks report it, the soak test watches it for growth.
inline long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace quillon::testing
