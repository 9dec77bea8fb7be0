#include "TApplication.h"
#include "UnitMain.h"

#include <QIcon>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setTitle(QStringLiteral("Quillon"));
    app.setWindowIcon(QIcon(QStringLiteral(":/quillon.xpm")));

    TForm1 form;
    form.show();
    return app.exec();
}
