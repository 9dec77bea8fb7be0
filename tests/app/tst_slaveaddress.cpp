#include "PanelTest.h"
#include "tests/support/DataColumns.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"

using panel::Click;
using panel::LitAddressBits;

class TestSlaveAddress : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;

    int Image() const { return form->LEDA0->StatusInt(); }

private slots:
    void init() { form = panel::FreshForm(&TForm1::TabSheet1); }
    void cleanup() { form.reset(); }

    void startStateAgreesWithTheChoice();
    void pinClicksComposeTheAddress();
    void chipTypeSetsBits4And5();
    void reselectingTheChoiceRaisesNothing();
    void commandReports_data();
    void commandReports();
    void receivedAddress_data();
    void receivedAddress();
    void confirmations_data();
    void confirmations();
};

void TestSlaveAddress::startStateAgreesWithTheChoice() {
    QCOMPARE(Image(), 0x40);
    QCOMPARE(LitAddressBits(*form), 0);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x40"));
    // The start choice follows the start image, so "Change" sends what the window shows.
    QVERIFY(form->RB74->isChecked());
    QVERIFY(!form->RB74A->isChecked());
    Click(form->BtnCSlvAdr);
    QCOMPARE(recorder::CallsNamed("ChangeSlvAdr").at(0).args, std::vector<int64_t>{0x40});
}

void TestSlaveAddress::pinClicksComposeTheAddress() {
    form->StatusPanel->setText("before");
    Click(form->LEDA0);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x42"));
    QVERIFY(form->LEDA0->Checked());
    Click(form->LEDA2);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x4A"));
    QCOMPARE(LitAddressBits(*form), 0x0A);
    Click(form->LEDA0);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x48"));
    QCOMPARE(form->StatusText(), QString("before"));
    QVERIFY(recorder::Calls().empty()); // nothing goes to the adapter before "Change"
}

void TestSlaveAddress::chipTypeSetsBits4And5() {
    for (TIndLED* led : {form->LEDA0, form->LEDA1, form->LEDA2}) {
        Click(led);
    }
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x4E"));
    Click(form->RB74A);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x7E"));
    QCOMPARE(LitAddressBits(*form), 0x0E);
    Click(form->BtnCSlvAdr);
    QCOMPARE(recorder::CallsNamed("ChangeSlvAdr").at(0).args, std::vector<int64_t>{0x7E});
    QCOMPARE(form->StatusText(), QString("CMD sent"));
    recorder::Notify(VANTREL_NOTIFY_ADDRESS_CHANGED);
    QCOMPARE(form->StatusText(), QString("Slave Adress changed"));
    Click(form->RB74);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x4E"));
}

void TestSlaveAddress::reselectingTheChoiceRaisesNothing() {
    recorder::Notify(VANTREL_NOTIFY_ADDRESS_READ,
                     0x50); // outside both ranges: shown as received, "PCF8574" chosen
    QVERIFY(form->RB74->isChecked());
    Click(form->RB74);
    QCOMPARE(Image(), 0x50);
    QCOMPARE(form->PlSlvAdr->Caption(), QString("0x50"));
}

void TestSlaveAddress::commandReports_data() {
    quillon::testing::AddColumns<QString, int, QString, QString>(
        {"button", "status", "text", "call"});
    const QStringList buttons{"BtnGetSlvAdr", "BtnCSlvAdr", "BtnSSlvAdr"};
    const QStringList calls{"ReadSlvAdr()", "ChangeSlvAdr(64)", "SaveSlvAdr()"};
    // A status the window has no text for leaves the line as it was.
    const QList<std::pair<int, QString>> reports{
        {VANTREL_STATUS_SENT, "CMD sent"},
        {VANTREL_STATUS_PORT_CLOSED, "ERROR: ComPort is closed"},
        {VANTREL_STATUS_BUSY, "Device Busy"},
        {VANTREL_STATUS_INVALID, "before"}};
    for (int b = 0; b < 3; ++b) {
        for (const auto& [status, text] : reports) {
            QTest::addRow("%s %d", qPrintable(buttons[b]), status)
                << buttons[b] << status << text << calls[b];
        }
    }
}

void TestSlaveAddress::commandReports() {
    QFETCH(QString, button);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QString, call);
    form->StatusPanel->setText("before");
    recorder::State().status = static_cast<uint8_t>(status);
    Click(form->findChild<QPushButton*>(button));
    QCOMPARE(QString::fromStdString(recorder::Trace()), call);
    QCOMPARE(form->StatusText(), text);
    QCOMPARE(Image(), 0x40); // no command changes the image by itself
}

void TestSlaveAddress::receivedAddress_data() {
    quillon::testing::AddColumns<int, bool, int, bool>(
        {"address", "chooseAFirst", "litBits", "typeA"});
    QTest::newRow("0x7A") << 0x7A << false << 0x0A << true;
    QTest::newRow("0x44 after PCF8574A") << 0x44 << true << 0x04 << false;
    QTest::newRow("0x50 outside both ranges") << 0x50 << true << 0x00 << false;
    QTest::newRow("0x30 bits only") << 0x30 << false << 0x00 << true;
    QTest::newRow("0xFF") << 0xFF << false << 0x0E << true;
}

void TestSlaveAddress::receivedAddress() {
    QFETCH(int, address);
    QFETCH(bool, chooseAFirst);
    QFETCH(int, litBits);
    QFETCH(bool, typeA);
    if (chooseAFirst) {
        Click(form->RB74A);
    }
    recorder::Calls().clear();
    recorder::Notify(VANTREL_NOTIFY_ADDRESS_READ,
                     0x1200 | address); // only the low byte is the address
    QCOMPARE(Image(), address);
    QCOMPARE(LitAddressBits(*form), litBits);
    QCOMPARE(form->PlSlvAdr->Caption(), "0x" + TForm1::Hex2(address));
    QCOMPARE(form->RB74A->isChecked(), typeA);
    QCOMPARE(form->RB74->isChecked(), !typeA);
    QCOMPARE(form->StatusText(), QString("Slave Adress received"));
    QVERIFY(recorder::CallsNamed("ChangeSlvAdr").empty());
}

void TestSlaveAddress::confirmations_data() {
    quillon::testing::AddColumns<int, QString>({"op", "text"});
    QTest::newRow("changed") << 1 << "Slave Adress changed";
    QTest::newRow("saved") << 2 << "Slave Adress saved";
    QTest::newRow("other") << 3 << "before";
    QTest::newRow("zero") << 0 << "before";
}

void TestSlaveAddress::confirmations() {
    QFETCH(int, op);
    QFETCH(QString, text);
    form->StatusPanel->setText("before");
    Click(form->LEDA1);
    form->VantrelSlvAdrOP(form->Vantrel, static_cast<uint8_t>(op));
    QCOMPARE(form->StatusText(), text);
    QCOMPARE(Image(), 0x44); // not re-read
}

QUILLON_TEST_MAIN(TestSlaveAddress)
#include "tst_slaveaddress.moc"
