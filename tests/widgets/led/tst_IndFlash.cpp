#include "tests/support/DataColumns.h"
#include "widgets/led/IndFlashT.h"
#include "widgets/led/IndLED.h"

#include <QTest>

#include <stdexcept>

namespace {

struct Phase {
    uint32_t tick;
    bool on;
    bool operator==(const Phase&) const = default;
};

// An LED that records the flash-phase messages it receives.
class RecordingLED : public TIndLED {
public:
    using TIndLED::TIndLED;
    QList<Phase> phases;
    std::function<void()> onPhase;
    void Dispatch(quillon::platform::TMessage& msg) override {
        if (msg.Msg == WM_INDFLASHPHASE) {
            phases.append({static_cast<uint32_t>(msg.WParam), msg.LParam != 0});
            if (onPhase)
                onPhase();
        }
        TIndLED::Dispatch(msg);
    }
    void StartFlashing(TFlashFreq f) {
        setFrequency(f);
        setFlashing(true);
        setChecked(true);
    }
};

void Ticks(int n) {
    for (int i = 0; i < n; ++i)
        IndFlashTick();
}

// Driven tests tick by hand; the real clock must not add ticks of its own.
void HoldClock() {
    QVERIFY(IndFlashClock());
    IndFlashClock()->setEnabled(false);
}

} // namespace

class TestIndFlash : public QObject {
    Q_OBJECT
private slots:
    void init();
    void phasesPerCode_data();
    void phasesPerCode();
    void sameFrequencyInStep();
    void wrapAtMaximum();
    void entryRemovedDuringTick();
    void receiverExceptionDropped();
    void registrationFollowsState();
    void secondClockStaysInert();
};

void TestIndFlash::init() {
    IndFlashSetTickCount(0);
    QCOMPARE(IndFlashCount(), 0);
}

void TestIndFlash::phasesPerCode_data() {
    quillon::testing::AddColumns<int, int>({"freq", "halfPeriod"});
    QTest::newRow("8 Hz") << int(TIndLED::ff8Hz) << 4;
    QTest::newRow("4 Hz") << int(TIndLED::ff4Hz) << 8;
    QTest::newRow("2 Hz") << int(TIndLED::ff2Hz) << 16;
    QTest::newRow("1 Hz") << int(TIndLED::ff1Hz) << 32;
    QTest::newRow("0.5 Hz") << int(TIndLED::ff05Hz) << 64;
}

void TestIndFlash::phasesPerCode() {
    QFETCH(int, freq);
    QFETCH(int, halfPeriod);
    RecordingLED led;
    int statusEvents = 0;
    led.OnStatusChanged = [&](QObject*) { ++statusEvents; };
    led.OnStatusIntChanged = [&](QObject*) { ++statusEvents; };
    led.StartFlashing(TIndLED::TFlashFreq(freq));
    HoldClock();
    QCOMPARE(IndFlashCodeOf(&led), freq + 2);
    statusEvents = 0;

    Ticks(4 * halfPeriod);
    // Phases only show; the state and its events stay as they were.
    QCOMPARE(statusEvents, 0);
    QVERIFY(led.Checked());
    // Lit when it starts, so the first word is "off"; then a change every half period.
    QList<Phase> expected{{1, false}};
    for (int k = 1; k <= 4; ++k)
        expected.append({uint32_t(k * halfPeriod), k % 2 == 1});
    QCOMPARE(led.phases, expected);
}

void TestIndFlash::sameFrequencyInStep() {
    RecordingLED early;
    RecordingLED late;
    early.StartFlashing(TIndLED::ff1Hz);
    HoldClock();
    Ticks(45);
    late.StartFlashing(TIndLED::ff1Hz);
    early.phases.clear();
    Ticks(200);
    QVERIFY(late.phases.size() >= 3);
    QCOMPARE(late.phases, early.phases);
}

void TestIndFlash::wrapAtMaximum() {
    std::vector<std::unique_ptr<RecordingLED>> leds;
    for (int f = TIndLED::ff8Hz; f <= TIndLED::ff05Hz; ++f) {
        leds.push_back(std::make_unique<RecordingLED>());
        leds.back()->StartFlashing(TIndLED::TFlashFreq(f));
    }
    HoldClock();
    IndFlashSetTickCount(0xFFFFFFFEu);
    IndFlashTick();
    QCOMPARE(IndFlashTickCount(), 0xFFFFFFFFu);
    for (const auto& led : leds)
        QVERIFY(led->phases.isEmpty()); // every code bit is still set: still "on"
    IndFlashTick();
    QCOMPARE(IndFlashTickCount(), 0u);
    for (const auto& led : leds)
        QCOMPARE(led->phases, QList<Phase>({{0, false}}));
}

void TestIndFlash::entryRemovedDuringTick() {
    RecordingLED a;
    RecordingLED b;
    RecordingLED c;
    a.StartFlashing(TIndLED::ff8Hz);
    b.StartFlashing(TIndLED::ff8Hz);
    c.StartFlashing(TIndLED::ff8Hz);
    HoldClock();
    a.onPhase = [&] { a.setFlashing(false); };

    IndFlashTick(); // all three go "off"; a leaves, b moves down into a's slot
    QCOMPARE(a.phases.size(), 1);
    QCOMPARE(IndFlashCount(), 2);
    QVERIFY(b.phases.isEmpty());
    QCOMPARE(c.phases, QList<Phase>({{1, false}}));

    IndFlashTick(); // b is served on the next tick
    QCOMPARE(b.phases, QList<Phase>({{2, false}}));
    QCOMPARE(c.phases.size(), 1);
    QCOMPARE(a.phases.size(), 1);
}

void TestIndFlash::receiverExceptionDropped() {
    RecordingLED bad;
    RecordingLED good;
    bad.StartFlashing(TIndLED::ff8Hz);
    good.StartFlashing(TIndLED::ff8Hz);
    HoldClock();
    bad.onPhase = [] { throw std::runtime_error("receiver"); };
    IndFlashTick();
    QCOMPARE(bad.phases.size(), 1);
    QCOMPARE(good.phases.size(), 1);
    Ticks(4);
    QCOMPARE(bad.phases.size(), 2);
    QCOMPARE(good.phases.size(), 2);
}

void TestIndFlash::registrationFollowsState() {
    auto led = std::make_unique<TIndLED>();
    led->setFlashing(true);
    QCOMPARE(IndFlashCodeOf(led.get()), -1);
    led->setChecked(true);
    QCOMPARE(IndFlashCodeOf(led.get()), 5);
    led->setFrequency(TIndLED::ff8Hz);
    QCOMPARE(IndFlashCodeOf(led.get()), 2);
    QCOMPARE(IndFlashCount(), 1);

    IndFlashRegister(nullptr, 3);
    QCOMPARE(IndFlashCount(), 1);
    TIndLED stranger;
    IndFlashUnregister(&stranger);
    QCOMPARE(IndFlashCount(), 1);

    led->setChecked(false);
    QCOMPARE(IndFlashCount(), 0);
    led->setChecked(true);
    QCOMPARE(IndFlashCount(), 1);
    led.reset();
    QCOMPARE(IndFlashCount(), 0);
    // The clock outlives its last entry.
    QVERIFY(IndFlashClock());
    QVERIFY(IndFlashClock()->HasOnTimer());
}

void TestIndFlash::secondClockStaysInert() {
    TIndLED led;
    led.setFlashing(true);
    led.setChecked(true);
    TIndFlashTimer* first = IndFlashClock();
    QVERIFY(first);
    QStringList shown;
    TIndFlashTimer::SetMessageBox(
        [&](const QString& text, const QString& caption) { shown << caption << text; });
    {
        TIndFlashTimer second;
        QCOMPARE(shown, QStringList({QStringLiteral("Error Message"),
                                     QStringLiteral("Only one TIndFlashTimer per "
                                                    "Application!\rRemove it...")}));
        QVERIFY(!second.HasOnTimer());
        QVERIFY(!second.Running());
        QCOMPARE(TIndFlashTimer::InstanceCount(), 2);
    }
    TIndFlashTimer::SetMessageBox({});
    QCOMPARE(TIndFlashTimer::InstanceCount(), 1);
    QCOMPARE(IndFlashClock(), first);
    QVERIFY(first->HasOnTimer());
}

QTEST_MAIN(TestIndFlash)
#include "tst_IndFlash.moc"
