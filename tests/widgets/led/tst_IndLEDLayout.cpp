#include "tests/support/DataColumns.h"
#include "tests/support/LoadedForm.h"
#include "ui_LedLayoutForm.h"

#include "widgets/led/IndLED.h"

#include <QTest>

// The panel's LEDs come from a Designer layout: the properties arrive in stored order
// through the same writers a program uses, so the group rules apply while loading.
class TestIndLEDLayout : public QObject {
    Q_OBJECT
private slots:
    void loadedState_data();
    void loadedState();
    void lampPropertiesLoaded();
    void captionFollowsName();
};

void TestIndLEDLayout::loadedState_data() {
    quillon::testing::AddColumns<QString, int, bool>({"name", "statusInt", "checked"});
    // Port group: the stored value reaches every member, also inside a group box.
    QTest::newRow("P0") << "LEDP0" << 5 << true;
    QTest::newRow("P1") << "LEDP1" << 5 << false;
    QTest::newRow("P2") << "LEDP2" << 5 << true;
    QTest::newRow("P3") << "LEDP3" << 5 << false;
    // mButton stored after StatusInt ends at 0, and the 0 reaches the member loaded before.
    QTest::newRow("A0") << "LEDA0" << 0 << false;
    QTest::newRow("A1") << "LEDA1" << 0 << false;
    // Each radio member's Mode write selects bit 0, whatever value was stored.
    QTest::newRow("RB0") << "RB0" << 1 << true;
    QTest::newRow("RB1") << "RB1" << 1 << false;
    QTest::newRow("RB2") << "RB2" << 1 << false;
    QTest::newRow("AutoSend") << "LEDAutoSend" << 1 << true;
}

void TestIndLEDLayout::loadedState() {
    QFETCH(QString, name);
    QFETCH(int, statusInt);
    QFETCH(bool, checked);
    quillon::testing::LoadedForm<Ui::LedLayoutForm> form;
    auto* led = form.Find<TIndLED>(name);
    QVERIFY(led);
    QCOMPARE(led->StatusInt(), statusInt);
    QCOMPARE(led->Checked(), checked);
}

void TestIndLEDLayout::lampPropertiesLoaded() {
    quillon::testing::LoadedForm<Ui::LedLayoutForm> form;
    const Ui::LedLayoutForm& ui = form.ui;
    TIndLED* led = ui.LEDAutoSend;
    QCOMPARE(led->LED_Shape(), TIndLED::sRectangle);
    QCOMPARE(led->LED_ColorOn(), 255);
    QCOMPARE(led->LED_ColorOff(), quillon::platform::clBtnFace);
    QCOMPARE(led->LED_Width(), 20);
    QCOMPARE(led->LED_Height(), 13); // 41 is out of range and ignored
    QCOMPARE(led->LED_Position(), TIndLED::lpRight);
    QCOMPARE(led->Spacing(), 3);
    QCOMPARE(led->Mode(), TIndLED::mSwitch);
    QCOMPARE(led->Caption(), QStringLiteral("Auto|Send"));
    QCOMPARE(led->LampRect(), QRect(73 - 20, 16 - 6, 20, 13));
}

void TestIndLEDLayout::captionFollowsName() {
    quillon::testing::LoadedForm<Ui::LedLayoutForm> form;
    const Ui::LedLayoutForm& ui = form.ui;
    QCOMPARE(ui.LEDP2->Caption(), QStringLiteral("LEDP2"));
    ui.LEDP2->setObjectName(QStringLiteral("Renamed"));
    QCOMPARE(ui.LEDP2->Caption(), QStringLiteral("Renamed"));
    // An explicit caption stays when the name changes.
    ui.LEDAutoSend->setObjectName(QStringLiteral("Other"));
    QCOMPARE(ui.LEDAutoSend->Caption(), QStringLiteral("Auto|Send"));
}

QTEST_MAIN(TestIndLEDLayout)
#include "tst_IndLEDLayout.moc"
