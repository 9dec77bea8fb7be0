#include "QuillonApplication.h"

#include "TApplication.h"

#include <QIcon>

void SetUpQuillonApplication(TApplication& app) {
    // The classic look the panel was drawn for: group titles on the frame, grey 3-D bevels.
    TApplication::setStyle(QStringLiteral("Windows"));
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setTitle(QStringLiteral("Quillon"));
    app.setWindowIcon(QIcon(QStringLiteral(":/quillon.xpm")));
}
