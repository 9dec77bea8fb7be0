#include "QuillonApplication.h"

#include "platform/gui/TApplication.h"

#include <QIcon>

namespace quillon::app {

void SetUpQuillonApplication(TApplication& app) {
    // The classic look the panel was drawn for: group titles on the frame, grey 3-D bevels.
    TApplication::setStyle(QStringLiteral("Windows"));
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setTitle(QStringLiteral("Quillon"));
    // The icon the desktop's menu shows, in the sizes rendered from it at build time.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/48/quillon.png"));
    icon.addFile(QStringLiteral(":/icons/256/quillon.png"));
    app.setWindowIcon(icon);
    // Lets a Wayland desktop match the window to its menu entry (and so to the same icon).
    app.setDesktopFileName(QStringLiteral("example.quillon.Quillon"));
}

} // namespace quillon::app
