#pragma once

#include "KeypadButtons.h"
#include "StatusTexts.h"
#include "adapter/KeypadPress.h"
#include "adapter/Vantrel.h"
#include "ui_UnitMain.h"

#include <QWidget>

#include <cstdint>
#include <initializer_list>

class QLabel;
class QTimer;

// The panel's one window. It keeps no state beyond its controls: the port byte and the
// slave address live in LED groups, the connection state and port number in the adapter
// library.
class TForm1 : public QWidget, public Ui_TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The only panel of the status bar: every handler reports by replacing its text.
    QLabel* StatusPanel = nullptr;
    // The keypad's hold: it runs from a press to the release of the switches.
    QTimer* Timer1 = nullptr;
    // The camera keypad's press, hold and release, with a release owed while the link is busy.
    quillon::adapter::KeypadPress* Keypad = nullptr;
    TVantrel* Vantrel = nullptr;

    QString StatusText() const;

    // Connection control.
    void BtnCOMClick(QObject* Sender);
    void UpDown1Click(QObject* Sender);
    void VantrelOpen(QObject* Sender, uint8_t Comport);
    void VantrelClose(QObject* Sender);
    void VantrelTimeOut(QObject* Sender);

    // Port image and write path.
    void LEDPortClick(QObject* Sender);
    void EditWriteKeyPress(QObject* Sender, QChar& Key);
    void EditWriteExit(QObject* Sender);
    void BtnWDataClick(QObject* Sender);
    void LEDAutoSendClick(QObject* Sender);
    void VantrelI2CDataAvail(QObject* Sender, TI2CData I2CData);
    void VantrelWriteI2CRegs(QObject* Sender, uint8_t IntType);
    void InSlvAdrKeyPress(QObject* Sender, QChar& Key);

    // Slave address panel.
    void LEDA0Click(QObject* Sender);
    void RB74Click(QObject* Sender);
    void BtnGetSlvAdrClick(QObject* Sender);
    void BtnCSlvAdrClick(QObject* Sender);
    void BtnSSlvAdrClick(QObject* Sender);
    void VantrelSlvAdrRead(QObject* Sender, uint8_t pSlvAdr);
    void VantrelSlvAdrOP(QObject* Sender, uint8_t OP);

    // Camera keypad: one handler per button, each pressing its switches.
#define QUILLON_DECLARE_KEYPAD_HANDLER(name, switches) void name##Click(QObject* Sender);
    QUILLON_KEYPAD_BUTTONS(QUILLON_DECLARE_KEYPAD_HANDLER)
#undef QUILLON_DECLARE_KEYPAD_HANDLER
    void Timer1Timer(QObject* Sender);

    // Two upper-case hexadecimal digits, zero-filled.
    static QString Hex2(int value);
    // The window's face at the given height in pixels.
    static QFont WindowFont(int pixelSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using THandler = void (TForm1::*)(QObject*);
    using TKeyPressHandler = void (TForm1::*)(QObject*, QChar&);

    void SetUpInfoPageFonts();
    void CreateNonVisualMembers();
    void WireEvents();
    void WirePortPage();
    void WireSlaveAddress();
    void WireKeypad();
    // A click of the button runs the handler with the button as sender.
    void OnClicked(QAbstractButton* button, THandler handler);
    void SetStatus(quillon::app::TStatusText text);
    // Shows the text listed for the value; a value not listed leaves the status line as it is.
    void SetStatusFor(uint8_t value, std::initializer_list<quillon::app::StatusFor> texts);
    void ShowComPortHint();

    bool FilterEntry(QLineEdit* entry, QEvent* event, TKeyPressHandler onKeyPress, THandler onExit);
    bool FocusMovedWithinWindow(const QWidget* from) const;
    void FilterHexKey(QChar& Key);
    uint8_t WritePort(uint8_t value);
    uint8_t WritePortByte(uint8_t value, uint8_t intType);
    void DoChangeSlvAdr();
    void RefreshPortDisplay(bool withEntry);
    void ReportWrite(uint8_t status);
    void ShowSlaveAddress();
    void ReportAddressCommand(uint8_t status);
    void SendRPUPattern(uint8_t pattern);
    void ShowRPUPattern(uint8_t pattern);
};
