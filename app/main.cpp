#include "TApplication.h"
#include "UnitMain.h"

#include <QIcon>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // The classic look the panel was drawn for: group titles on the frame, grey 3-D bevels.
    TApplication::setStyle(QStringLiteral("Windows"));
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setTitle(QStringLiteral("Quillon"));
    app.setWindowIcon(QIcon(QStringLiteral(":/quillon.xpm")));

    TForm1 form;
    form.show();
    return app.exec();
}
