// The port image on page "PCF8574": the shared value of the LED group LEDP0..LEDP7, its
// displays, the entry, and the writes to the adapter.
#include "UnitMain.h"
#include "platform/core/EConvertError.h"
#include "platform/core/ErrorReport.h"

#include <QApplication>
#include <QKeyEvent>

using quillon::app::TStatusText;

void TForm1::WirePortPage() {
    for (TIndLED* led : {LEDP0, LEDP1, LEDP2, LEDP3, LEDP4, LEDP5, LEDP6, LEDP7}) {
        led->OnClick = [this](QObject* s) { LEDPortClick(s); };
    }
    LEDAutoSend->OnClick = [this](QObject* s) { LEDAutoSendClick(s); };
    OnClicked(BtnWData, &TForm1::BtnWDataClick);
    EditWrite->installEventFilter(this);
    // Bold captions for the boxes, the plain window font for what they hold.
    for (QGroupBox* box : {GroupBox3, GroupBox4}) {
        box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    bool swallowed = false;
    if (watched == EditWrite) {
        quillon::platform::ToolkitCall([&] {
            swallowed =
                FilterEntry(EditWrite, event, &TForm1::EditWriteKeyPress, &TForm1::EditWriteExit);
        });
    } else if (watched == BtnCOM && event->type() == QEvent::ToolTip) {
        ShowComPortHint();
    }
    return swallowed || QWidget::eventFilter(watched, event);
}

// An entry's key handler and exit handler, as the classic edit control raises them; true
// when the key is to be dropped.
bool TForm1::FilterEntry(QLineEdit* entry, QEvent* event, TKeyPressHandler onKeyPress,
                         THandler onExit) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Only keys that type a character reach the key handler. Cursor keys, Delete and
        // the like are not characters, and Tab and Shift+Tab move the focus as on any form.
        const bool focusKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (text.size() == 1 && key->key() != Qt::Key_Delete && !focusKey) {
            QChar ch = text.front();
            (this->*onKeyPress)(entry, ch);
            if (ch.isNull()) {
                return true;
            }
            if (ch != text.front()) {
                entry->insert(QString(ch));
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut && FocusMovedWithinWindow(entry)) {
        (this->*onExit)(entry);
    }
    return false;
}

// Leaving an entry means going to another control of this window. Another program or
// window becoming active, or the entry's own context menu opening, takes the focus too,
// but the operator has not left the entry: the focus comes back to it.
bool TForm1::FocusMovedWithinWindow(const QWidget* from) const {
    // By the time the old control hears of it, the application names the new one.
    const QWidget* to = QApplication::focusWidget();
    return to && to != from && to->window() == from->window();
}

void TForm1::FilterHexKey(QChar& Key) {
    if (Key >= QLatin1Char('a') && Key <= QLatin1Char('f')) {
        Key = Key.toUpper();
    }
    const bool keep = Key == QChar(8) || Key == QChar(13) ||
                      (Key >= QLatin1Char('0') && Key <= QLatin1Char('9')) ||
                      (Key >= QLatin1Char('A') && Key <= QLatin1Char('F'));
    if (!keep) {
        Key = QChar(0);
    }
}

void TForm1::EditWriteKeyPress(QObject*, QChar& Key) {
    FilterHexKey(Key);
}

void TForm1::InSlvAdrKeyPress(QObject*, QChar& Key) {
    FilterHexKey(Key);
}

void TForm1::EditWriteExit(QObject*) {
    const QString text = EditWrite->text();
    if (text.isEmpty()) {
        EditWrite->setText(QStringLiteral("00"));
    } else if (text.size() == 1) {
        EditWrite->setText(QLatin1Char('0') + text);
    }
}

void TForm1::RefreshPortDisplay(bool withEntry) {
    const int image = LEDP0->StatusInt();
    PlPort->setCaption(QStringLiteral("0x") + Hex2(image));
    if (withEntry) {
        EditWrite->setText(Hex2(image));
    }
}

void TForm1::ReportWrite(uint8_t status) {
    SetStatusFor(status, {{VANTREL_STATUS_SENT, TStatusText::WriteSent},
                          {VANTREL_STATUS_PORT_CLOSED, TStatusText::WritePortClosed},
                          {VANTREL_STATUS_BUSY, TStatusText::WriteBusy}});
}

uint8_t TForm1::WritePort(uint8_t value) {
    uint8_t intType = VANTREL_INT_NONE;
    if (RBNoInt->isChecked()) {
        intType = VANTREL_INT_NONE;
    } else if (RBInt1->isChecked()) {
        intType = VANTREL_INT_LINE1;
    } else if (RBInt2->isChecked()) {
        intType = VANTREL_INT_LINE2;
    }
    return WritePortByte(value, intType);
}

// Every port write of the window goes here. One that the link takes, or that finds the port
// closed, settles a keypad release still owed: the port holds what was written last.
uint8_t TForm1::WritePortByte(uint8_t value, uint8_t intType) {
    const uint8_t status = Vantrel->WriteI2CRegs(std::span(&value, 1), intType);
    if (status != VANTREL_STATUS_BUSY) {
        Keypad->Forget();
    }
    return status;
}

void TForm1::LEDPortClick(QObject* Sender) {
    auto* led = qobject_cast<TIndLED*>(Sender);
    if (!led) {
        return;
    }
    led->setChecked(!led->Checked());
    RefreshPortDisplay(true);
    if (LEDAutoSend->Checked()) {
        ReportWrite(WritePort(static_cast<uint8_t>(LEDP0->StatusInt() & 0xFF)));
    }
}

void TForm1::BtnWDataClick(QObject*) {
    // Throws before anything changes when the entry holds pasted non-hexadecimal text.
    const int value = StrToInt(QLatin1Char('$') + EditWrite->text());
    LEDP0->setStatusInt(value);
    RefreshPortDisplay(false);
    ReportWrite(WritePort(static_cast<uint8_t>(LEDP0->StatusInt() & 0xFF)));
}

void TForm1::LEDAutoSendClick(QObject* Sender) {
    if (auto* led = qobject_cast<TIndLED*>(Sender)) {
        led->setChecked(!led->Checked());
    }
}

void TForm1::VantrelWriteI2CRegs(QObject*, uint8_t IntType) {
    SetStatusFor(IntType, {{VANTREL_INT_NONE, TStatusText::WrittenNoInterrupt},
                           {VANTREL_INT_LINE1, TStatusText::WrittenInterrupt1},
                           {VANTREL_INT_LINE2, TStatusText::WrittenInterrupt2}});
}

void TForm1::VantrelI2CDataAvail(QObject*, TI2CData I2CData) {
    LEDP0->setStatusInt(I2CData[0]);
    RefreshPortDisplay(true);
    SetStatus(TStatusText::DataReceived);
}
