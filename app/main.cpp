#include "PanelCommandLine.h"
#include "QuillonApplication.h"
#include "UnitMain.h"
#include "platform/gui/TApplication.h"

#include <cstdio>
#include <string>
#include <vector>

using quillon::app::PanelCommandLine;

int main(int argc, char** argv) {
    // Before the application object: it needs a display, --help and --version do not.
    const PanelCommandLine::Outcome command =
        PanelCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (command.action == PanelCommandLine::Action::Exit) {
        std::fputs(command.text.c_str(),
                   command.stream == PanelCommandLine::Stream::Out ? stdout : stderr);
        return command.status;
    }

    TApplication app(argc, argv);
    quillon::app::SetUpQuillonApplication(app);

    TForm1 form;
    form.show();
    return app.exec();
}
