#include "QuillonApplication.h"
#include "TApplication.h"
#include "UnitMain.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    SetUpQuillonApplication(app);

    TForm1 form;
    form.show();
    return app.exec();
}
