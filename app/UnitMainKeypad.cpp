// The camera keypad page: each button presses its switches by writing their pattern, and
// the one-shot Timer1 releases them all 250 ms after the press that armed it.
#include "UnitMain.h"

#include "platform/core/ErrorReport.h"

#include <QCloseEvent>
#include <QTimer>

#include <thread>

#define QUILLON_DEFINE_KEYPAD_HANDLER(name, switches)                                              \
    void TForm1::name##Click(QObject*) {                                                           \
        using namespace quillon::adapter;                                                                    \
        SendRPUPattern(Pattern(switches));                                                         \
    }
QUILLON_KEYPAD_BUTTONS(QUILLON_DEFINE_KEYPAD_HANDLER)
#undef QUILLON_DEFINE_KEYPAD_HANDLER

void TForm1::WireKeypad() {
#define QUILLON_WIRE_KEYPAD_BUTTON(name, switches) OnClicked(name, &TForm1::name##Click);
    QUILLON_KEYPAD_BUTTONS(QUILLON_WIRE_KEYPAD_BUTTON)
#undef QUILLON_WIRE_KEYPAD_BUTTON
    connect(Timer1, &QTimer::timeout, this,
            [this] { quillon::platform::ToolkitCall([this] { Timer1Timer(Timer1); }); });
    GroupBox5->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
}

void TForm1::SendRPUPattern(uint8_t pattern) {
    LEDP0->setStatusInt(pattern);
    const QString hex = Hex2(LEDP0->StatusInt());
    PlPort->setCaption(QStringLiteral("0x") + hex);
    PlRPUPort->setCaption(QStringLiteral("0x") + hex);
    EditWrite->setText(hex);
    // The camera unit's keypad always reads its switches on interrupt line 1.
    const uint8_t status =
        WritePortByte(static_cast<uint8_t>(LEDP0->StatusInt() & 0xFF), VANTREL_INT_LINE1);
    if (pattern == quillon::adapter::kReleased && status == VANTREL_STATUS_BUSY) {
        // Dropped, the release would leave the camera unit's switches pressed for good.
        KeypadRelease->Owe(std::chrono::milliseconds(Vantrel->TimeOut()));
    } else {
        ReportWrite(status);
    }
    // A press while a release is pending leaves that release where it is.
    if (pattern != quillon::adapter::kReleased && !Timer1->isActive()) {
        Timer1->start();
        releaseDue_ = std::chrono::steady_clock::now() + Timer1->intervalAsDuration();
    }
}

void TForm1::Timer1Timer(QObject*) {
    Timer1->stop();
    SendRPUPattern(quillon::adapter::kReleased);
}

void TForm1::closeEvent(QCloseEvent* event) {
    ReleasePendingSwitches();
    QWidget::closeEvent(event);
}

// A window that goes away mid-press still holds the switches their full time, then
// releases them, before the link ends with the window: the camera unit may not see a
// shorter press at all. The wait runs no handler, so nothing can start anew meanwhile; it
// lasts at most the rest of the press and the bounded wait for a busy link.
void TForm1::ReleasePendingSwitches() {
    if (Timer1 && Timer1->isActive()) {
        std::this_thread::sleep_until(releaseDue_);
        Timer1Timer(Timer1);
    }
    if (KeypadRelease) {
        KeypadRelease->Settle();
    }
}
