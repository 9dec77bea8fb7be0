// The slave address panel: the address image is the shared value of the LED group
// LEDA0..LEDA2 (8-bit write-address form); the chip type sets bits 4 and 5.
#include "UnitMain.h"

#include "platform/core/ErrorReport.h"

#include <QSignalBlocker>

using quillon::app::TStatusText;

void TForm1::WireSlaveAddress() {
    for (TIndLED* led : {LEDA0, LEDA1, LEDA2}) {
        led->OnClick = [this](QObject* s) { LEDA0Click(s); };
    }
    // Only a newly selected choice counts; reselecting the selected one raises nothing.
    for (QRadioButton* rb : {RB74, RB74A}) {
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
            if (on) {
                quillon::platform::ToolkitCall([&] { RB74Click(rb); });
            }
        });
    }
    OnClicked(BtnGetSlvAdr, &TForm1::BtnGetSlvAdrClick);
    OnClicked(BtnCSlvAdr, &TForm1::BtnCSlvAdrClick);
    OnClicked(BtnSSlvAdr, &TForm1::BtnSSlvAdrClick);
}

void TForm1::ShowSlaveAddress() {
    PlSlvAdr->setCaption(QStringLiteral("0x") + Hex2(LEDA0->StatusInt()));
}

void TForm1::ReportAddressCommand(uint8_t status) {
    SetStatusFor(status, {{VANTREL_STATUS_SENT, TStatusText::AddressSent},
                          {VANTREL_STATUS_PORT_CLOSED, TStatusText::AddressPortClosed},
                          {VANTREL_STATUS_BUSY, TStatusText::AddressBusy}});
}

void TForm1::LEDA0Click(QObject* Sender) {
    auto* led = qobject_cast<TIndLED*>(Sender);
    if (!led) {
        return;
    }
    led->setChecked(!led->Checked());
    ShowSlaveAddress();
}

void TForm1::RB74Click(QObject*) {
    if (RB74->isChecked()) {
        LEDA0->setStatusInt(LEDA0->StatusInt() & 0xCF);
        ShowSlaveAddress();
    } else if (RB74A->isChecked()) {
        LEDA0->setStatusInt(LEDA0->StatusInt() | 0x30);
        ShowSlaveAddress();
    }
}

void TForm1::BtnGetSlvAdrClick(QObject*) {
    ReportAddressCommand(Vantrel->ReadSlvAdr());
}

void TForm1::DoChangeSlvAdr() {
    ReportAddressCommand(Vantrel->ChangeSlvAdr(static_cast<uint8_t>(LEDA0->StatusInt() & 0xFF)));
}

void TForm1::BtnCSlvAdrClick(QObject*) {
    DoChangeSlvAdr();
}

void TForm1::BtnSSlvAdrClick(QObject*) {
    ReportAddressCommand(Vantrel->SaveSlvAdr());
}

void TForm1::VantrelSlvAdrRead(QObject*, uint8_t pSlvAdr) {
    LEDA0->setStatusInt(pSlvAdr);
    ShowSlaveAddress();
    // The choice follows the received address; the address itself stays as received.
    QRadioButton* choice = (LEDA0->StatusInt() & 0x30) == 0x30 ? RB74A : RB74;
    const QSignalBlocker blockA(RB74);
    const QSignalBlocker blockB(RB74A);
    choice->setChecked(true);
    SetStatus(TStatusText::AddressRead);
}

void TForm1::VantrelSlvAdrOP(QObject*, uint8_t OP) {
    switch (OP) {
    case TVantrel::saChanged:
        SetStatus(TStatusText::AddressChanged);
        break;
    case TVantrel::saSaved:
        SetStatus(TStatusText::AddressSaved);
        break;
    default:
        break;
    }
}
