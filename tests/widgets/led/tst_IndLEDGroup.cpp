#include "LedTestUtil.h"
#include "tests/support/DataColumns.h"

#include <QPointer>
#include <QTest>

#include <stdexcept>

class TestIndLEDGroup : public QObject {
    Q_OBJECT
private slots:
    void statusIntSpreadsToGroup_data();
    void statusIntSpreadsToGroup();
    void checkedSetsAndClearsOwnBit();
    void sameValueRaisesNothing();
    void radioPressSelectsAtPress();
    void radioUncheckKeepsBit();
    void modeWriteResetsValue_data();
    void modeWriteResetsValue();
    void guardSharedAcrossGroups();
    void groupIndexTakesOverFirstMember();
    void groupIndexFirstMemberKeepsValue();
    void groupsSeparatedByWindow();
    void statusBit31IsSignBit();
    void outOfRangeWritesIgnored_data();
    void outOfRangeWritesIgnored();
    void handlerExceptionPropagatesAndReleasesGuard();
    void handlerDeletesDuringSpread_data();
    void handlerDeletesDuringSpread();
    void mouseModes_data();
    void mouseModes();
    void doubleClickIsSecondPress_data();
    void doubleClickIsSecondPress();
    void releaseOutsideRaisesNoClick();
    void handlerDeletesClickedControl_data();
    void handlerDeletesClickedControl();
};

void TestIndLEDGroup::statusIntSpreadsToGroup_data() {
    quillon::testing::AddColumns<int>({"writer"});
    QTest::newRow("first member") << 0;
    QTest::newRow("middle member") << 4;
    QTest::newRow("last member") << 7;
}

void TestIndLEDGroup::statusIntSpreadsToGroup() {
    QFETCH(int, writer);
    LedForm f;
    for (int bit = 0; bit < 8; ++bit)
        f.Add(1, bit);
    TIndLED* other = f.Add(2, 0); // another group must not follow
    std::vector<EventCounter> counts(8);
    for (int i = 0; i < 8; ++i)
        counts[i].Attach(f.leds[i]);

    f.leds[writer]->setStatusInt(0xA5);

    for (int bit = 0; bit < 8; ++bit) {
        const bool lit = (0xA5 >> bit) & 1;
        QCOMPARE(f.leds[bit]->StatusInt(), 0xA5);
        QCOMPARE(f.leds[bit]->Checked(), lit);
        QCOMPARE(counts[bit].status, lit ? 1 : 0);
        QCOMPARE(counts[bit].statusInt, 1);
    }
    QCOMPARE(other->StatusInt(), 0);
}

void TestIndLEDGroup::checkedSetsAndClearsOwnBit() {
    LedForm f;
    for (int bit = 0; bit < 8; ++bit)
        f.Add(1, bit);
    f.leds[5]->setStatusInt(0xFE);
    f.leds[0]->setChecked(true);
    for (TIndLED* led : f.leds)
        QCOMPARE(led->StatusInt(), 0xFF);
    f.leds[3]->setChecked(false);
    for (TIndLED* led : f.leds)
        QCOMPARE(led->StatusInt(), 0xF7);
    QVERIFY(!f.leds[3]->Checked());
    QVERIFY(f.leds[2]->Checked());
}

void TestIndLEDGroup::sameValueRaisesNothing() {
    LedForm f;
    for (int bit = 0; bit < 4; ++bit)
        f.Add(1, bit);
    f.leds[0]->setStatusInt(0x05);
    std::vector<EventCounter> counts(4);
    for (int i = 0; i < 4; ++i)
        counts[i].Attach(f.leds[i]);
    f.leds[1]->setStatusInt(0x05);
    f.leds[2]->setChecked(true);
    f.leds[3]->setChecked(false);
    for (const EventCounter& c : counts) {
        QCOMPARE(c.status, 0);
        QCOMPARE(c.statusInt, 0);
    }
}

void TestIndLEDGroup::radioPressSelectsAtPress() {
    LedForm f;
    f.form.resize(300, 100);
    for (int bit = 0; bit < 3; ++bit)
        f.Add(3, bit, TIndLED::mRadioButton);
    QCOMPARE(f.leds[0]->StatusInt(), 1);
    QVERIFY(f.leds[0]->Checked());

    SendMouse(f.leds[2], QEvent::MouseButtonPress, Inside(f.leds[2]));
    for (TIndLED* led : f.leds)
        QCOMPARE(led->StatusInt(), 4);
    QVERIFY(!f.leds[0]->Checked());
    QVERIFY(!f.leds[1]->Checked());
    QVERIFY(f.leds[2]->Checked());
    SendMouse(f.leds[2], QEvent::MouseButtonRelease, Inside(f.leds[2]));
    QCOMPARE(f.leds[0]->StatusInt(), 4);
    QVERIFY(f.leds[2]->Checked());
}

void TestIndLEDGroup::radioUncheckKeepsBit() {
    LedForm f;
    for (int bit = 0; bit < 3; ++bit)
        f.Add(3, bit, TIndLED::mRadioButton);
    f.leds[1]->setChecked(true);
    QCOMPARE(f.leds[0]->StatusInt(), 2);
    f.leds[1]->setChecked(false);
    QVERIFY(!f.leds[1]->Checked());
    for (TIndLED* led : f.leds)
        QCOMPARE(led->StatusInt(), 2);
}

void TestIndLEDGroup::modeWriteResetsValue_data() {
    quillon::testing::AddColumns<int, int, int>({"initialMode", "mode", "expected"});
    QTest::newRow("button again") << int(TIndLED::mButton) << int(TIndLED::mButton) << 0;
    QTest::newRow("indicator to button") << int(TIndLED::mIndicator) << int(TIndLED::mButton) << 0;
    QTest::newRow("radio again") << int(TIndLED::mRadioButton) << int(TIndLED::mRadioButton) << 1;
    QTest::newRow("switch keeps") << int(TIndLED::mIndicator) << int(TIndLED::mSwitch) << 0x3C;
    QTest::newRow("indicator keeps") << int(TIndLED::mSwitch) << int(TIndLED::mIndicator) << 0x3C;
}

void TestIndLEDGroup::modeWriteResetsValue() {
    QFETCH(int, initialMode);
    QFETCH(int, mode);
    QFETCH(int, expected);
    LedForm f;
    TIndLED* a = f.Add(1, 0, TIndLED::TMode(initialMode));
    TIndLED* b = f.Add(1, 1, TIndLED::TMode(initialMode));
    a->setStatusInt(0x3C);
    QCOMPARE(b->StatusInt(), 0x3C);
    b->setMode(TIndLED::TMode(mode));
    QCOMPARE(b->StatusInt(), expected);
    QCOMPARE(a->StatusInt(), expected);
}

void TestIndLEDGroup::guardSharedAcrossGroups() {
    LedForm f;
    TIndLED* a0 = f.Add(1, 0);
    TIndLED* a1 = f.Add(1, 1);
    TIndLED* b0 = f.Add(2, 0);
    TIndLED* b1 = f.Add(2, 1);
    bool sawGuard = false;
    // While group 1 spreads, a write into group 2 stays in the written control.
    a1->OnStatusIntChanged = [&](QObject*) {
        sawGuard = TIndBinGControl::GroupUpdating();
        b0->setStatusInt(0x33);
    };
    a0->setStatusInt(0x11);
    QVERIFY(sawGuard);
    QCOMPARE(a1->StatusInt(), 0x11);
    QCOMPARE(b0->StatusInt(), 0x33);
    QCOMPARE(b1->StatusInt(), 0);
    QVERIFY(!TIndBinGControl::GroupUpdating());

    // Outside a group update the same write spreads.
    a1->OnStatusIntChanged = nullptr;
    b0->setStatusInt(0x44);
    QCOMPARE(b1->StatusInt(), 0x44);
}

void TestIndLEDGroup::groupIndexTakesOverFirstMember() {
    LedForm f;
    TIndLED* first = f.Add(2, 6);
    TIndLED* second = f.Add(2, 0);
    first->setStatusInt(64);
    TIndLED* late = f.Add(0, 1);
    late->setStatusInt(0x0F);
    EventCounter firstCount;
    firstCount.Attach(first);

    late->setGroupIndex(2);
    QCOMPARE(late->StatusInt(), 64);
    QVERIFY(!late->Checked());
    QCOMPARE(first->StatusInt(), 64);
    QCOMPARE(second->StatusInt(), 64);
    QCOMPARE(firstCount.statusInt, 0);
}

void TestIndLEDGroup::groupIndexFirstMemberKeepsValue() {
    LedForm f;
    TIndLED* first = f.Add(0, 0);
    TIndLED* member = f.Add(2, 1);
    member->setStatusInt(0x02);
    first->setStatusInt(0x05);
    first->setGroupIndex(2);
    QCOMPARE(first->StatusInt(), 0x05);
    QCOMPARE(member->StatusInt(), 0x02);
}

void TestIndLEDGroup::groupsSeparatedByWindow() {
    LedForm one;
    LedForm two;
    TIndLED* a = one.Add(1, 0);
    TIndLED* b = two.Add(1, 0);
    a->setStatusInt(7);
    QCOMPARE(b->StatusInt(), 0);

    // A control without a window of its own has no peers.
    TIndLED lone;
    lone.setGroupIndex(1);
    lone.setStatusInt(9);
    QCOMPARE(a->StatusInt(), 7);
    QCOMPARE(lone.Group().size(), 1);
}

void TestIndLEDGroup::statusBit31IsSignBit() {
    LedForm f;
    TIndLED* top = f.Add(1, 31);
    TIndLED* low = f.Add(1, 0);
    top->setChecked(true);
    QCOMPARE(top->StatusInt(), std::numeric_limits<int>::min());
    QVERIFY(top->StatusInt() < 0);
    QCOMPARE(low->StatusInt(), top->StatusInt());
    low->setChecked(true);
    QCOMPARE(static_cast<uint32_t>(top->StatusInt()), 0x80000001u);
    top->setChecked(false);
    QCOMPARE(low->StatusInt(), 1);
    low->setStatusInt(-1);
    QVERIFY(top->Checked());
}

void TestIndLEDGroup::outOfRangeWritesIgnored_data() {
    quillon::testing::AddColumns<QByteArray, int>({"property", "value"});
    QTest::newRow("StatusBit 32") << QByteArray("StatusBit") << 32;
    QTest::newRow("StatusBit -1") << QByteArray("StatusBit") << -1;
    QTest::newRow("GroupIndex -1") << QByteArray("GroupIndex") << -1;
}

void TestIndLEDGroup::outOfRangeWritesIgnored() {
    QFETCH(QByteArray, property);
    QFETCH(int, value);
    LedForm f;
    TIndLED* led = f.Add(1, 3);
    led->setStatusInt(0x08);
    EventCounter c;
    c.Attach(led);
    const int before = led->property(property).toInt();
    QVERIFY(led->setProperty(property, value));
    QCOMPARE(led->property(property).toInt(), before);
    QCOMPARE(led->StatusInt(), 0x08);
    QCOMPARE(c.status + c.statusInt, 0);
}

void TestIndLEDGroup::handlerExceptionPropagatesAndReleasesGuard() {
    LedForm f;
    TIndLED* a = f.Add(1, 0);
    TIndLED* b = f.Add(1, 1);
    TIndLED* c = f.Add(1, 2);
    b->OnStatusIntChanged = [](QObject*) { throw std::runtime_error("handler"); };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, a->setStatusInt(3));
    QCOMPARE(a->StatusInt(), 3);
    QCOMPARE(b->StatusInt(), 3);
    QCOMPARE(c->StatusInt(), 0); // the failed spread went no further
    QVERIFY(!TIndBinGControl::GroupUpdating());

    // Groups keep working after the failure.
    b->OnStatusIntChanged = nullptr;
    a->setStatusInt(5);
    QCOMPARE(c->StatusInt(), 5);
}

void TestIndLEDGroup::handlerDeletesDuringSpread_data() {
    // The deleting handler is OnStatusIntChanged when inStatusInt is set, else OnStatusChanged.
    // expected: what every surviving member holds afterwards
    quillon::testing::AddColumns<bool, int, int, int>(
        {"inStatusInt", "handlerOf", "victim", "expected"});
    // Member 1 of four is written: the spread reaches member 0 before it, 2 and 3 after it.
    QTest::newRow("writer deletes itself, state") << false << 1 << 1 << 0;
    QTest::newRow("writer deletes itself, value") << true << 1 << 1 << 0;
    QTest::newRow("earlier member deletes writer") << true << 0 << 1 << 0x0F;
    QTest::newRow("later member deletes writer") << false << 2 << 1 << 0x0F;
    QTest::newRow("member deletes itself, state") << false << 2 << 2 << 0x0F;
    QTest::newRow("member deletes itself, value") << true << 2 << 2 << 0x0F;
    QTest::newRow("member deletes one not reached") << true << 2 << 3 << 0x0F;
    QTest::newRow("last member deletes itself") << false << 3 << 3 << 0x0F;
}

void TestIndLEDGroup::handlerDeletesDuringSpread() {
    QFETCH(bool, inStatusInt);
    QFETCH(int, handlerOf);
    QFETCH(int, victim);
    QFETCH(int, expected);
    LedForm f;
    QList<QPointer<TIndLED>> members;
    for (int bit = 0; bit < 4; ++bit) {
        members << f.Add(1, bit);
    }
    QPointer<TIndLED> doomed = members[victim];
    const TNotifyEvent handler = [&](QObject*) {
        if (doomed) {
            delete doomed.data();
        }
    };
    (inStatusInt ? members[handlerOf]->OnStatusIntChanged : members[handlerOf]->OnStatusChanged) =
        handler;

    members[1]->setStatusInt(0x0F);

    QVERIFY(!TIndBinGControl::GroupUpdating());
    QList<TIndLED*> survivors;
    for (int bit = 0; bit < 4; ++bit) {
        QCOMPARE(members[bit].isNull(), bit == victim);
        if (members[bit]) {
            survivors << members[bit];
            QCOMPARE(members[bit]->StatusInt(), expected);
            QCOMPARE(members[bit]->Checked(), ((expected >> bit) & 1) != 0);
        }
    }
    // The group goes on without the deleted member.
    survivors.front()->setStatusInt(0x30);
    for (TIndLED* led : survivors) {
        QCOMPARE(led->StatusInt(), 0x30);
    }
}

void TestIndLEDGroup::mouseModes_data() {
    quillon::testing::AddColumns<int, bool, bool, bool>(
        {"mode", "initial", "afterPress", "afterRelease"});
    QTest::newRow("button") << int(TIndLED::mButton) << false << true << false;
    QTest::newRow("switch on") << int(TIndLED::mSwitch) << false << true << true;
    QTest::newRow("switch off") << int(TIndLED::mSwitch) << true << false << false;
    QTest::newRow("indicator") << int(TIndLED::mIndicator) << false << false << false;
}

void TestIndLEDGroup::mouseModes() {
    QFETCH(int, mode);
    QFETCH(bool, initial);
    QFETCH(bool, afterPress);
    QFETCH(bool, afterRelease);
    LedForm f;
    TIndLED* led = f.Add(0, 0, TIndLED::TMode(mode));
    led->setChecked(initial);
    QStringList order;
    led->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        order << QStringLiteral("down:%1").arg(led->Checked());
    };
    led->OnClick = [&](QObject* sender) {
        QCOMPARE(sender, led);
        order << QStringLiteral("click:%1").arg(led->Checked());
    };
    led->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        order << QStringLiteral("up");
    };
    SendMouse(led, QEvent::MouseButtonPress, Inside(led));
    QCOMPARE(led->Checked(), afterPress);
    SendMouse(led, QEvent::MouseButtonRelease, Inside(led));
    QCOMPARE(led->Checked(), afterRelease);
    // OnClick still sees the state of the press (mButton: lit), the release acts after it.
    const QString pressed = QString::number(afterPress);
    QCOMPARE(order, QStringList({"down:" + pressed, "click:" + pressed, "up"}));

    // Other buttons only raise the mouse events.
    order.clear();
    SendMouse(led, QEvent::MouseButtonPress, Inside(led), Qt::RightButton);
    SendMouse(led, QEvent::MouseButtonRelease, Inside(led), Qt::RightButton);
    QCOMPARE(led->Checked(), afterRelease);
    QCOMPARE(order, QStringList({QStringLiteral("down:%1").arg(afterRelease), "up"}));
}

void TestIndLEDGroup::doubleClickIsSecondPress_data() {
    quillon::testing::AddColumns<int, bool, bool>({"mode", "toggleInClick", "expected"});
    QTest::newRow("switch toggles twice") << int(TIndLED::mSwitch) << false << false;
    QTest::newRow("indicator toggled by program once") << int(TIndLED::mIndicator) << true << true;
}

void TestIndLEDGroup::doubleClickIsSecondPress() {
    QFETCH(int, mode);
    QFETCH(bool, toggleInClick);
    QFETCH(bool, expected);
    LedForm f;
    TIndLED* led = f.Add(0, 0, TIndLED::TMode(mode));
    int clicks = 0;
    int downs = 0;
    QStringList order;
    led->OnClick = [&](QObject*) {
        ++clicks;
        if (toggleInClick)
            led->setChecked(!led->Checked());
    };
    led->OnDblClick = [&](QObject*) { order << "dbl"; };
    led->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ++downs;
        order << "down";
    };
    // What Qt delivers for a double click.
    SendMouse(led, QEvent::MouseButtonPress, Inside(led));
    SendMouse(led, QEvent::MouseButtonRelease, Inside(led));
    SendMouse(led, QEvent::MouseButtonDblClick, Inside(led));
    SendMouse(led, QEvent::MouseButtonRelease, Inside(led));
    QCOMPARE(led->Checked(), expected);
    QCOMPARE(clicks, 1);
    QCOMPARE(downs, 2);
    QCOMPARE(order, QStringList({"down", "dbl", "down"}));

    // The next single click counts normally again.
    SendMouse(led, QEvent::MouseButtonPress, Inside(led));
    SendMouse(led, QEvent::MouseButtonRelease, Inside(led));
    QCOMPARE(clicks, 2);
}

void TestIndLEDGroup::releaseOutsideRaisesNoClick() {
    LedForm f;
    TIndLED* led = f.Add(0, 0, TIndLED::mButton);
    int clicks = 0;
    int ups = 0;
    led->OnClick = [&](QObject*) { ++clicks; };
    led->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
    SendMouse(led, QEvent::MouseButtonPress, Inside(led));
    QVERIFY(led->Checked());
    SendMouse(led, QEvent::MouseButtonRelease, QPoint(led->width() + 10, -5));
    QCOMPARE(clicks, 0);
    QCOMPARE(ups, 1);
    QVERIFY(!led->Checked()); // the release action still runs
}

void TestIndLEDGroup::handlerDeletesClickedControl_data() {
    // deleter: the event whose handler deletes the clicked LED
    quillon::testing::AddColumns<int, QString, int>({"mode", "deleter", "peerValue"});
    QTest::newRow("click") << int(TIndLED::mSwitch) << "click" << 1;
    QTest::newRow("press action") << int(TIndLED::mButton) << "lit" << 1;
    QTest::newRow("release action") << int(TIndLED::mButton) << "unlit" << 0;
    QTest::newRow("double click") << int(TIndLED::mSwitch) << "dblclick" << 1;
    QTest::newRow("mouse up") << int(TIndLED::mButton) << "up" << 1;
}

void TestIndLEDGroup::handlerDeletesClickedControl() {
    QFETCH(int, mode);
    QFETCH(QString, deleter);
    QFETCH(int, peerValue);
    LedForm f;
    f.form.resize(200, 100);
    QPointer<TIndLED> led = f.Add(1, 0, TIndLED::TMode(mode));
    TIndLED* peer = f.Add(1, 1, TIndLED::TMode(mode));
    const TNotifyEvent remove = [&](QObject*) { delete led.data(); };
    if (deleter == "click") {
        led->OnClick = remove;
    } else if (deleter == "dblclick") {
        led->OnDblClick = remove;
    } else if (deleter == "up") {
        led->OnMouseUp = [&](QObject* sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            remove(sender);
        };
    } else {
        const bool onLit = deleter == "lit";
        led->OnStatusChanged = [&, onLit](QObject* sender) {
            if (led->Checked() == onLit) {
                remove(sender);
            }
        };
    }
    const QPoint at = Inside(led);
    SendMouse(led, QEvent::MouseButtonPress, at);
    if (led) {
        SendMouse(led, QEvent::MouseButtonRelease, at);
    }
    if (led) {
        SendMouse(led, QEvent::MouseButtonDblClick, at);
    }
    QVERIFY(led.isNull());
    QCOMPARE(peer->StatusInt(), peerValue);
    QVERIFY(!TIndBinGControl::GroupUpdating());
}

QTEST_MAIN(TestIndLEDGroup)
#include "tst_IndLEDGroup.moc"
