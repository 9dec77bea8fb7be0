// The camera keypad page: each button presses its switches by writing their pattern, and
// the one-shot Timer1 releases them all 250 ms after the press that armed it.
#include "UnitMain.h"

#include "ErrorReport.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#define QUILLON_DEFINE_KEYPAD_HANDLER(name, switches)                                              \
    void TForm1::name##Click(QObject*) {                                                           \
        using namespace keypad;                                                                    \
        SendRPUPattern(Pattern(switches));                                                         \
    }
QUILLON_KEYPAD_BUTTONS(QUILLON_DEFINE_KEYPAD_HANDLER)
#undef QUILLON_DEFINE_KEYPAD_HANDLER

void TForm1::WireKeypad() {
#define QUILLON_WIRE_KEYPAD_BUTTON(name, switches) OnClicked(name, &TForm1::name##Click);
    QUILLON_KEYPAD_BUTTONS(QUILLON_WIRE_KEYPAD_BUTTON)
#undef QUILLON_WIRE_KEYPAD_BUTTON
    connect(Timer1, &QTimer::timeout, this,
            [this] { platform::ToolkitCall([this] { Timer1Timer(Timer1); }); });
    GroupBox5->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
}

void TForm1::SendRPUPattern(uint8_t pattern) {
    LEDP0->setStatusInt(pattern);
    const QString hex = Hex2(LEDP0->StatusInt());
    PlPort->setCaption(QStringLiteral("0x") + hex);
    PlRPUPort->setCaption(QStringLiteral("0x") + hex);
    EditWrite->setText(hex);
    uint8_t value = static_cast<uint8_t>(LEDP0->StatusInt() & 0xFF);
    // The camera unit's keypad always reads its switches on interrupt line 1.
    ReportWrite(Vantrel->WriteI2CRegs(std::span(&value, 1), VANTREL_INT_LINE1));
    // A press while a release is pending leaves that release where it is.
    if (pattern != keypad::kReleased && !Timer1->isActive()) {
        Timer1->start();
    }
}

void TForm1::Timer1Timer(QObject*) {
    Timer1->stop();
    SendRPUPattern(keypad::kReleased);
}

void TForm1::closeEvent(QCloseEvent* event) {
    ReleasePendingSwitches();
    QWidget::closeEvent(event);
}

// A window that goes away within the 250 ms would leave the camera unit reading its
// switches as held: release them now. The link may still be busy with the press itself,
// so wait for it, at most one adapter time-out.
void TForm1::ReleasePendingSwitches() {
    if (!Timer1 || !Timer1->isActive()) {
        return;
    }
    Timer1->stop();
    const uint8_t release = keypad::kReleased;
    QElapsedTimer waited;
    waited.start();
    uint8_t status = Vantrel->WriteI2CRegs(std::span(&release, 1), VANTREL_INT_LINE1);
    while (status == VANTREL_STATUS_BUSY && waited.elapsed() < Vantrel->TimeOut()) {
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
        status = Vantrel->WriteI2CRegs(std::span(&release, 1), VANTREL_INT_LINE1);
    }
}
