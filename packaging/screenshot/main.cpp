// Takes the window's picture for the AppStream file: the panel as the program shows it,
// connected to an adapter, at the moment a keypad switch pair is pressed.
// scripts/screenshot.sh runs it under Xvfb against the adapter simulator, whose device
// VANTREL_COM1 names.
#include "app/QuillonApplication.h"
#include "platform/gui/TApplication.h"
#include "app/UnitMain.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kUsageStatus = 64;
constexpr int kFailureStatus = 1;
constexpr int kPollMs = 10;
constexpr int kGiveUpMs = 15000;

} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    quillon::app::SetUpQuillonApplication(app);
    if (argc != 2) {
        std::fputs("usage: quillon-screenshot OUTPUT.png\n", stderr);
        return kUsageStatus;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    TForm1 form;
    form.show();
    // Each step waits for the status text the one before leads to; the status line has no
    // change signal of its own, so it is looked at every few milliseconds.
    enum class Step { Opening, Pressing };
    Step step = Step::Opening;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &form, [&] {
        const QString text = form.StatusText();
        if (step == Step::Opening && text == QLatin1String("COMPort open")) {
            step = Step::Pressing;
            form.BtnSW14->click();
        } else if (step == Step::Pressing && text == QLatin1String("Data write with Interrupt 1")) {
            poll.stop();
            if (!form.grab().save(output)) {
                std::fprintf(stderr, "quillon-screenshot: cannot write %s\n", argv[1]);
                app.exit(kFailureStatus);
                return;
            }
            app.quit();
        }
    });
    QTimer::singleShot(kGiveUpMs, &form, [&] {
        std::fprintf(stderr, "quillon-screenshot: no adapter answered; status line '%s'\n",
                     qPrintable(form.StatusText()));
        app.exit(kFailureStatus);
    });
    form.BtnCOM->click();
    poll.start(kPollMs);
    return app.exec();
}
