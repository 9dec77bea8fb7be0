// The panel started as the program quillon starts it (app/main.cpp), reporting its first
// paint for StartupBench.
#include "FirstPaint.h"
#include "TApplication.h"
#include "UnitMain.h"

#include <QIcon>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::setStyle(QStringLiteral("Windows"));
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setTitle(QStringLiteral("Quillon"));
    app.setWindowIcon(QIcon(QStringLiteral(":/quillon.xpm")));

    TForm1 form;
    FirstPaint probe(&form);
    form.show();
    return app.exec();
}
