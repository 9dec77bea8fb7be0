#include "KeypadSwitches.h"

#include <QtTest>

// The assignment as the camera unit's documentation gives it, written out here on its own
// so that a slip in the shared table shows.
class TestKeypadSwitches : public QObject {
    Q_OBJECT

private slots:
    void switchByName_data();
    void switchByName();
    void patternsOfPressedSwitches_data();
    void patternsOfPressedSwitches();
};

void TestKeypadSwitches::switchByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mask");
    QTest::newRow("SW1") << "SW1" << 0x08;
    QTest::newRow("SW2") << "SW2" << 0x04;
    QTest::newRow("SW3") << "SW3" << 0x02;
    QTest::newRow("SW4") << "SW4" << 0x20;
    QTest::newRow("SW5") << "SW5" << 0x10;
    QTest::newRow("SW6") << "SW6" << 0x80;
    QTest::newRow("SW7") << "SW7" << 0x40;
    QTest::newRow("SW8") << "SW8" << 0x01;
    QTest::newRow("lower case") << "sw6" << 0x80;
    QTest::newRow("mixed case") << "Sw3" << 0x02;
    for (const char* name : {"SW0", "SW9", "SW10", "SW", "", " SW1", "SW1 ", "SW01", "XW1", "P3"}) {
        QTest::newRow(qPrintable(QStringLiteral("not a switch: '%1'").arg(name)))
            << QString::fromLatin1(name) << 0;
    }
}

void TestKeypadSwitches::switchByName() {
    QFETCH(QString, name);
    QFETCH(int, mask);
    const QByteArray latin = name.toLatin1();
    QCOMPARE(int(keypad::SwitchByName(std::string_view(latin.constData(), latin.size()))), mask);
}

void TestKeypadSwitches::patternsOfPressedSwitches_data() {
    QTest::addColumn<int>("pressed");
    QTest::addColumn<int>("pattern");
    using namespace keypad;
    QTest::newRow("none") << 0 << 0xFF;
    QTest::newRow("SW7") << int(SW7) << 0xBF;
    QTest::newRow("SW6 + 7") << (SW6 | SW7) << 0x3F;
    QTest::newRow("SW1 + 4") << (SW1 | SW4) << 0xD7;
    QTest::newRow("SW8 + 5") << (SW8 | SW5) << 0xEE;
    QTest::newRow("SW5 + 6") << (SW5 | SW6) << 0x6F;
    QTest::newRow("SW4 + 6") << (SW4 | SW6) << 0x5F;
    int all = 0;
    for (const Switch& sw : kSwitches) {
        all |= sw.mask;
    }
    QTest::newRow("all eight") << all << 0x00;
}

void TestKeypadSwitches::patternsOfPressedSwitches() {
    QFETCH(int, pressed);
    QFETCH(int, pattern);
    QCOMPARE(int(keypad::Pattern(unsigned(pressed))), pattern);
}

QTEST_GUILESS_MAIN(TestKeypadSwitches)
#include "tst_keypadswitches.moc"
