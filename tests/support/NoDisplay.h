#pragma once

#include <QStringList>
#include <QtGlobal>

namespace quillon::testing {

// The environment variables that would hand the toolkit a display, among those set. Suites
// that prove a program needs none start from an empty list, as on a rig without a desktop.
inline QStringList DisplayVariablesSet() {
    QStringList set;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (qEnvironmentVariableIsSet(name)) {
            set << QString::fromLatin1(name);
        }
    }
    return set;
}

} // namespace quillon::testing
