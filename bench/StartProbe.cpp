// The panel started as the program quillon starts it (app/main.cpp), reporting its first
// paint for StartupBench.
#include "FirstPaint.h"
#include "app/QuillonApplication.h"
#include "platform/gui/TApplication.h"
#include "app/UnitMain.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    quillon::app::SetUpQuillonApplication(app);

    TForm1 form;
    FirstPaint probe(&form);
    form.show();
    return app.exec();
}
