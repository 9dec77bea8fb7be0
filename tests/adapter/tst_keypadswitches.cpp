#include "adapter/KeypadSwitches.h"
#include "tests/support/DataColumns.h"

#include <QtTest>

// The assignment as the camera unit's documentation gives it, written out here on its own
// so that a slip in the shared table shows. The patterns built from it are checked button
// by button in the keypad page's tests.
class TestKeypadSwitches : public QObject {
    Q_OBJECT

private slots:
    void switchByName_data();
    void switchByName();
};

void TestKeypadSwitches::switchByName_data() {
    quillon::testing::AddColumns<QString, int>({"name", "mask"});
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
    QCOMPARE(int(quillon::adapter::SwitchByName(std::string_view(latin.constData(), latin.size()))),
             mask);
}

QTEST_GUILESS_MAIN(TestKeypadSwitches)
#include "tst_keypadswitches.moc"
