// The keypad press on its own, as the window and the tool share it: what becomes of a
// release the busy link refuses, and a press cut short by its owner going away.
#include "adapter/KeypadPress.h"
#include "adapter/KeypadSwitches.h"
#include "tests/support/DataColumns.h"
#include "tests/support/VantrelRecorder.h"

#include <QSignalSpy>
#include <QtTest>

using quillon::adapter::KeypadPress;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

namespace {
// Short, so that a release owed to the end does not hold the suite up.
constexpr int kTimeOut = 100;
constexpr int kHold = 30;
constexpr uint8_t kSw7 = quillon::adapter::Pattern(quillon::adapter::SW7);
// What happens while the release is owed: a notification code, or one of these.
constexpr int kOtherWrite = -1;
constexpr int kWaitForTheBound = -2;

std::vector<recorder::Call> Writes() {
    return recorder::CallsNamed("WriteI2CRegs");
}

milliseconds Between(const recorder::Call& a, const recorder::Call& b) {
    return duration_cast<milliseconds>(b.at - a.at);
}
} // namespace

class TestKeypadPress : public QObject {
    Q_OBJECT

    std::unique_ptr<TVantrel> vantrel;
    std::unique_ptr<KeypadPress> press;
    QStringList handled; // what the owner's own handlers saw, in order

private slots:
    void init() {
        recorder::Reset();
        recorder::State().timeOut = kTimeOut;
        handled.clear();
        vantrel = std::make_unique<TVantrel>(nullptr);
        vantrel->OnWriteI2CRegs = [this](QObject*, uint8_t) {
            handled << QStringLiteral("written, owed %1").arg(press->ReleaseOwed());
        };
        press = std::make_unique<KeypadPress>(*vantrel);
        press->SetHold(milliseconds(kHold));
    }
    void cleanup() {
        press.reset();
        vantrel.reset();
    }

    void refusedReleaseIsOwed_data();
    void refusedReleaseIsOwed();
    void settleHoldsTheFullTimeThenReleases_data();
    void settleHoldsTheFullTimeThenReleases();
};

void TestKeypadPress::refusedReleaseIsOwed_data() {
    quillon::testing::AddColumns<QList<int>, QList<int>, int, int>(
        {"retries", "events", "writes", "released"});
    const int busy = VANTREL_STATUS_BUSY;
    const int sent = VANTREL_STATUS_SENT;
    const int closed = VANTREL_STATUS_PORT_CLOSED;
    const int none = -1;
    QTest::newRow("a reply frees the link")
        << QList<int>{sent} << QList<int>{VANTREL_NOTIFY_WRITTEN_INT1} << 3 << sent;
    QTest::newRow("still busy: owed on")
        << QList<int>{busy, sent} << QList<int>{VANTREL_NOTIFY_MASTER_DATA, VANTREL_NOTIFY_TIMEOUT}
        << 4 << sent;
    QTest::newRow("closed port: ends, no retry")
        << QList<int>{closed} << QList<int>{VANTREL_NOTIFY_CLOSED, VANTREL_NOTIFY_OPENED} << 3
        << closed;
    QTest::newRow("busy to the end: one last try")
        << QList<int>{busy} << QList<int>{kWaitForTheBound} << 3 << busy;
    QTest::newRow("a later write wins")
        << QList<int>{} << QList<int>{kOtherWrite, VANTREL_NOTIFY_WRITTEN_INT1} << 2 << none;
}

// Press, the hold ends, the release meets a busy link: it is tried on each notification
// before the owner's handler, and once more when the time-out has passed.
void TestKeypadPress::refusedReleaseIsOwed() {
    QFETCH(QList<int>, retries);
    QFETCH(QList<int>, events);
    QFETCH(int, writes);
    QFETCH(int, released);
    QSignalSpy outcomes(press.get(), &KeypadPress::released);
    QCOMPARE(press->Press(kSw7), uint8_t{VANTREL_STATUS_SENT});
    QVERIFY(press->IsHolding());
    recorder::State().nextStatuses.push_back(VANTREL_STATUS_BUSY);
    for (int status : retries) {
        recorder::State().nextStatuses.push_back(static_cast<uint8_t>(status));
    }
    QTRY_VERIFY(press->ReleaseOwed());
    const recorder::Call refused = Writes().back();
    QVERIFY(Between(Writes().front(), refused) >= milliseconds(kHold));
    for (int event : events) {
        if (event == kOtherWrite) {
            press->Forget(); // what an owner does when its own port write went through
        } else if (event == kWaitForTheBound) {
            QTRY_VERIFY_WITH_TIMEOUT(!press->ReleaseOwed(), 5 * kTimeOut);
            QVERIFY(Between(refused, Writes().back()) >= milliseconds(kTimeOut));
        } else {
            recorder::Notify(static_cast<uintptr_t>(event));
        }
    }
    if (handled.size() > 0) {
        // The owner's handler ran after the retry that its notification allowed.
        QCOMPARE(handled.front(), QStringLiteral("written, owed 0"));
    }
    const auto all = Writes();
    QCOMPARE(int(all.size()), writes);
    QCOMPARE(all.front().data, std::vector<uint8_t>{kSw7});
    for (const recorder::Call& write : all) {
        QCOMPARE(write.args[1], int64_t{VANTREL_INT_LINE1});
    }
    QCOMPARE(all.back().data, std::vector<uint8_t>{quillon::adapter::kReleased});
    QVERIFY(!press->ReleaseOwed());
    QTest::qWait(kTimeOut + 20); // a settled release is not tried again at the bound
    QCOMPARE(int(Writes().size()), writes);
    QCOMPARE(outcomes.size(), released < 0 ? 0 : 1);
    if (released >= 0) {
        QCOMPARE(outcomes.front().front().value<uint8_t>(), uint8_t(released));
    }
}

void TestKeypadPress::settleHoldsTheFullTimeThenReleases_data() {
    quillon::testing::AddColumns<QList<int>, int>({"statuses", "releases"});
    const int busy = VANTREL_STATUS_BUSY;
    QTest::newRow("link free") << QList<int>{VANTREL_STATUS_SENT} << 1;
    QTest::newRow("busy a while") << QList<int>{busy, busy, VANTREL_STATUS_SENT} << 3;
    QTest::newRow("busy to the end") << QList<int>{} << -1;
}

// An owner going away mid-press: the rest of the hold, then the release, polling a busy
// link for at most the time-out, all without an event being handled.
void TestKeypadPress::settleHoldsTheFullTimeThenReleases() {
    QFETCH(QList<int>, statuses);
    QFETCH(int, releases);
    press->Press(kSw7);
    for (int s : statuses) {
        recorder::State().nextStatuses.push_back(static_cast<uint8_t>(s));
    }
    if (releases < 0) {
        recorder::State().status = VANTREL_STATUS_BUSY;
    }
    press->Settle();
    QVERIFY(!press->IsHolding());
    QVERIFY(!press->ReleaseOwed());
    const auto writes = Writes();
    QVERIFY(Between(writes.front(), writes[1]) >= milliseconds(kHold));
    if (releases < 0) {
        QVERIFY(Between(writes[1], writes.back()) >= milliseconds(kTimeOut));
    } else {
        QCOMPARE(int(writes.size()) - 1, releases);
    }
}

QTEST_GUILESS_MAIN(TestKeypadPress)
#include "tst_keypadpress.moc"
