#include "UnitMain.h"

#include "adapter/Vantrel.h"
#include "platform/gui/SystemColors.h"
#include "platform/gui/TApplication.h"
#include "vantrel32/ComPortMap.h"

#include <QLabel>
#include <QMessageBox>
#include <QTimer>

using quillon::app::TStatusText;

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    // Before the controls are made, so that those with a style sheet font (the chip
    // drawing's bold labels) build it on the window's face, too.
    setFont(WindowFont(11));
    setupUi(this);

    // Frame: a tool-window border with only a close button, fixed client size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(458, 435);
    move(373, 193);
    SetUpInfoPageFonts();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, quillon::platform::ColorToRGB(quillon::platform::clBtnFace));
    setPalette(pal);
    setAutoFillBackground(true);

    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFixedWidth(150);
    StatusPanel->setFrameShape(QFrame::Panel);
    StatusPanel->setFrameShadow(QFrame::Sunken);
    StatusBar1->addWidget(StatusPanel);

    UpDown1->setAssociate(InComNr);

    CreateNonVisualMembers();
    WireEvents();
    // The COM button's hint names the device the number shown opens, so the operator can
    // tell boards apart. It is worked out as it is about to show: looking at the machine's
    // serial ports takes tens of milliseconds, too long for start-up or every click of the
    // arrows, and so the hint also knows a board plugged in a moment ago.
    BtnCOM->installEventFilter(this);
}

// The layout was drawn for MS Sans Serif. Where it is missing, Liberation Sans Narrow (our
// set-up installs it) is near its height and narrow enough that every caption keeps within
// the control drawn for it; the plain Liberation Sans runs about a tenth wider.
QFont TForm1::WindowFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(pixelSize);
    return font;
}

// The Info page's texts are 16 pixels high whatever the screen's resolution, in the
// window's face; they set their own font rather than take the page's.
void TForm1::SetUpInfoPageFonts() {
    for (QWidget* w : Panel4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        w->setFont(WindowFont(16));
    }
}

TForm1::~TForm1() {
    Keypad->Settle();
}

// The non-visual members and their stored settings; a designer layout holds widgets
// only, so they are read here, in the order a layout stores them.
void TForm1::CreateNonVisualMembers() {
    Vantrel = new TVantrel(this);
    Vantrel->setObjectName(QStringLiteral("Vantrel"));
    Vantrel->setComport(3);
    Vantrel->setTimeOut(1500);
    Vantrel->OnOpen = [this](QObject* s, uint8_t c) { VantrelOpen(s, c); };
    Vantrel->OnClose = [this](QObject* s) { VantrelClose(s); };
    Vantrel->OnTimeOut = [this](QObject* s) { VantrelTimeOut(s); };
    Vantrel->OnI2CDataAvail = [this](QObject* s, TI2CData d) { VantrelI2CDataAvail(s, d); };
    Vantrel->OnWriteI2CRegs = [this](QObject* s, uint8_t t) { VantrelWriteI2CRegs(s, t); };
    Vantrel->OnSlvAdrOP = [this](QObject* s, uint8_t op) { VantrelSlvAdrOP(s, op); };
    Vantrel->OnSlvAdrRead = [this](QObject* s, uint8_t a) { VantrelSlvAdrRead(s, a); };

    // After the handlers: the press takes every notification first, to try a release the
    // busy link still owes.
    // The window's own Timer1Timer ends the hold, as the timer's bound handler.
    Keypad = new quillon::adapter::KeypadPress(
        *Vantrel, this, quillon::adapter::KeypadPress::HoldEnd::OwnerReleases);
    Keypad->setObjectName(QStringLiteral("Keypad"));
    Timer1 = &Keypad->HoldTimer();
    Timer1->setObjectName(QStringLiteral("Timer1"));
}

void TForm1::WireEvents() {
    OnClicked(BtnCOM, &TForm1::BtnCOMClick);
    UpDown1->OnClick = [this](QObject* s, TUpDown::TUDBtnType) { UpDown1Click(s); };
    WirePortPage();
    WireSlaveAddress();
    WireKeypad();
}

void TForm1::OnClicked(QAbstractButton* button, THandler handler) {
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
        quillon::platform::ToolkitCall([&] { (this->*handler)(button); });
    });
}

QString TForm1::Hex2(int value) {
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString TForm1::StatusText() const {
    return StatusPanel->text();
}

void TForm1::SetStatus(TStatusText text) {
    StatusPanel->setText(quillon::app::StatusCaption(text));
}

void TForm1::SetStatusFor(uint8_t value, std::initializer_list<quillon::app::StatusFor> texts) {
    for (const quillon::app::StatusFor& entry : texts) {
        if (entry.value == value) {
            SetStatus(entry.text);
            return;
        }
    }
}

void TForm1::BtnCOMClick(QObject*) {
    if (!InComNr->text().isEmpty()) {
        Vantrel->setComport(InComNr->text().toInt());
    }
    Vantrel->Connect(!Vantrel->IsConnected());
}

void TForm1::UpDown1Click(QObject*) {
    if (!InComNr->text().isEmpty()) {
        Vantrel->setComport(InComNr->text().toInt());
    }
}

void TForm1::ShowComPortHint() {
    bool ok = false;
    const int number = InComNr->text().toInt(&ok);
    if (ok) {
        BtnCOM->setToolTip(
            quillon::link::ComPortMap::Hint(quillon::link::ComPortMap::Lookup(number)));
    }
}

void TForm1::VantrelOpen(QObject*, uint8_t) {
    BtnCOM->setText(QStringLiteral("COM") + QString::number(Vantrel->Comport()));
    SetStatus(TStatusText::PortOpen);
}

void TForm1::VantrelClose(QObject*) {
    BtnCOM->setText(QStringLiteral("COM?"));
    SetStatus(TStatusText::PortClosed);
}

void TForm1::VantrelTimeOut(QObject*) {
    SetStatus(TStatusText::TimeOutError);
    const TApplication* app = TApplication::Instance();
    QMessageBox box(QMessageBox::NoIcon, app ? app->Title() : QCoreApplication::applicationName(),
                    QStringLiteral("TIMEOUT"), QMessageBox::Ok, this);
    box.exec();
}
