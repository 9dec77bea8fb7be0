// The camera keypad page: each button presses its switches by writing their pattern, and
// the keypad press releases them all 250 ms after the press that started the hold.
#include "UnitMain.h"

#include "platform/core/ErrorReport.h"

#include <QCloseEvent>

#define QUILLON_DEFINE_KEYPAD_HANDLER(name, switches)                                              \
    void TForm1::name##Click(QObject*) {                                                           \
        using namespace quillon::adapter;                                                          \
        SendRPUPattern(Pattern(switches));                                                         \
    }
QUILLON_KEYPAD_BUTTONS(QUILLON_DEFINE_KEYPAD_HANDLER)
#undef QUILLON_DEFINE_KEYPAD_HANDLER

void TForm1::WireKeypad() {
#define QUILLON_WIRE_KEYPAD_BUTTON(name, switches) OnClicked(name, &TForm1::name##Click);
    QUILLON_KEYPAD_BUTTONS(QUILLON_WIRE_KEYPAD_BUTTON)
#undef QUILLON_WIRE_KEYPAD_BUTTON
    // A tick is an ordinary window event: a handler that throws reaches the general report.
    connect(Timer1, &QTimer::timeout, this,
            [this] { quillon::platform::ToolkitCall([this] { Timer1Timer(Timer1); }); });
    connect(Keypad, &quillon::adapter::KeypadPress::writing, this,
            [this](uint8_t pattern) { ShowRPUPattern(pattern); });
    connect(Keypad, &quillon::adapter::KeypadPress::released, this, [this](uint8_t status) {
        quillon::platform::ToolkitCall([this, status] { ReportWrite(status); });
    });
    GroupBox5->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
}

void TForm1::SendRPUPattern(uint8_t pattern) {
    ReportWrite(Keypad->Press(pattern));
}

// The hold is over: the release is written (and owed while the link is busy).
void TForm1::Timer1Timer(QObject*) {
    Keypad->Release();
}

// The image, both port captions and the entry show what the keypad writes.
void TForm1::ShowRPUPattern(uint8_t pattern) {
    LEDP0->setStatusInt(pattern);
    const QString hex = Hex2(LEDP0->StatusInt());
    PlPort->setCaption(QStringLiteral("0x") + hex);
    PlRPUPort->setCaption(QStringLiteral("0x") + hex);
    EditWrite->setText(hex);
}

// A window that goes away mid-press still holds the switches their full time, then
// releases them, before the link ends with the window: the camera unit may not see a
// shorter press at all. The wait runs no handler, so nothing can start anew meanwhile; it
// lasts at most the rest of the press and the bounded wait for a busy link.
void TForm1::closeEvent(QCloseEvent* event) {
    Keypad->Settle();
    QWidget::closeEvent(event);
}
