// The port image on page "PCF8574": the shared value of the LED group LEDP0..LEDP7, its
// displays, the entry, and the writes to the adapter.
#include "EConvertError.h"
#include "ErrorReport.h"
#include "UnitMain.h"

#include <QKeyEvent>

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
        platform::ToolkitCall([&] { swallowed = FilterEditWrite(event); });
    } else if (watched == BtnCOM && event->type() == QEvent::ToolTip) {
        ShowComPortHint();
    }
    return swallowed || QWidget::eventFilter(watched, event);
}

// The entry's key filter and exit normalisation; true when the key is to be dropped.
bool TForm1::FilterEditWrite(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Only keys that type a character pass the key filter, as in the classic edit
        // control; cursor keys, Delete and the like are not characters.
        if (text.size() == 1 && key->key() != Qt::Key_Delete) {
            QChar ch = text.front();
            EditWriteKeyPress(EditWrite, ch);
            if (ch.isNull()) {
                return true;
            }
            if (ch != text.front()) {
                EditWrite->insert(QString(ch));
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut) {
        EditWriteExit(EditWrite);
    }
    return false;
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
    switch (status) {
    case VANTREL_STATUS_SENT:
        SetStatus(QStringLiteral("Write_CMD"));
        break;
    case VANTREL_STATUS_PORT_CLOSED:
        SetStatus(QStringLiteral("ERROR: COMPORT CLOSED"));
        break;
    case VANTREL_STATUS_BUSY:
        SetStatus(QStringLiteral("I2C BUSY"));
        break;
    default:
        break;
    }
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
    return Vantrel->WriteI2CRegs(std::span(&value, 1), intType);
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
    switch (IntType) {
    case VANTREL_INT_NONE:
        SetStatus(QStringLiteral("Data write without Interrupt"));
        break;
    case VANTREL_INT_LINE1:
        SetStatus(QStringLiteral("Data write with Interrupt 1"));
        break;
    case VANTREL_INT_LINE2:
        SetStatus(QStringLiteral("Data write with Interrupt 2"));
        break;
    default:
        break;
    }
}

void TForm1::VantrelI2CDataAvail(QObject*, TI2CData I2CData) {
    LEDP0->setStatusInt(I2CData[0]);
    RefreshPortDisplay(true);
    SetStatus(QStringLiteral("Data received"));
}
