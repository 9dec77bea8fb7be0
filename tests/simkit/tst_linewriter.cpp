#include "simkit/LineWriter.h"
#include "tests/support/DataColumns.h"

#include <QtTest>

using quillon::simkit::LineWriter;
using Clock = LineWriter::Clock;
using namespace std::chrono_literals;

namespace {
const Clock::time_point kT0 = Clock::time_point{} + 100s;
const Clock::duration kByte = 1000us; // a round period keeps the arithmetic readable

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> list) {
    return list;
}
} // namespace

class TestLineWriter : public QObject {
    Q_OBJECT

private slots:
    void unpacedDueFrameGoesAtOnce();
    void lateFrameWaitsForItsTime();
    void framesGoOutInDueOrder();
    void pacedBytesLeaveOnePerCharacterTime_data();
    void pacedBytesLeaveOnePerCharacterTime();
    void pacedFramesQueueBehindEachOther();
    void pacedTimingRunsFromDueTimeNotFromWakeUp();
    void clearDropsEverything();
};

void TestLineWriter::unpacedDueFrameGoesAtOnce() {
    LineWriter line;
    line.Queue(Bytes({1, 2, 3}), kT0);
    QCOMPARE(line.NextWake(), std::optional(kT0));
    QCOMPARE(line.Take(kT0), Bytes({1, 2, 3}));
    QVERIFY(line.Idle());
    QVERIFY(!line.NextWake());
}

void TestLineWriter::lateFrameWaitsForItsTime() {
    LineWriter line;
    line.Queue(Bytes({7, 8}), kT0 + 200ms);
    QVERIFY(line.Take(kT0).empty());
    QVERIFY(line.Take(kT0 + 199ms).empty());
    QCOMPARE(line.NextWake(), std::optional(kT0 + 200ms));
    QCOMPARE(line.Take(kT0 + 200ms), Bytes({7, 8}));
}

void TestLineWriter::framesGoOutInDueOrder() {
    LineWriter line;
    line.Queue(Bytes({1}), kT0 + 100ms); // a late reply
    line.Queue(Bytes({2}), kT0);         // an unsolicited frame queued after it
    line.Queue(Bytes({3}), kT0 + 100ms); // a second late reply, same delay
    QCOMPARE(line.Take(kT0), Bytes({2}));
    QCOMPARE(line.Take(kT0 + 100ms), Bytes({1, 3}));
}

void TestLineWriter::pacedBytesLeaveOnePerCharacterTime_data() {
    quillon::testing::AddColumns<int>({"count"});
    QTest::newRow("1 byte") << 1;
    QTest::newRow("5-byte reply") << 5;
    QTest::newRow("maximal frame") << 132;
}

void TestLineWriter::pacedBytesLeaveOnePerCharacterTime() {
    QFETCH(int, count);
    LineWriter line(kByte);
    std::vector<uint8_t> frame(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        frame[std::size_t(i)] = uint8_t(i);
    }
    line.Queue(frame, kT0);

    std::vector<uint8_t> got = line.Take(kT0);
    QVERIFY(got.empty()); // the first byte is still on the wire
    for (int i = 1; i <= count; ++i) {
        QCOMPARE(line.NextWake(), std::optional(kT0 + i * kByte));
        const auto before = line.Take(kT0 + i * kByte - 1us);
        QCOMPARE(before.size(), std::size_t(0));
        const auto now = line.Take(kT0 + i * kByte);
        QCOMPARE(now.size(), std::size_t(1));
        got.push_back(now.front());
    }
    QCOMPARE(got, frame);
    QVERIFY(line.Idle());
}

void TestLineWriter::pacedFramesQueueBehindEachOther() {
    LineWriter line(kByte);
    line.Queue(Bytes({1, 2, 3}), kT0);
    line.Queue(Bytes({4, 5}), kT0 + 1ms); // due while the first is still being sent
    QCOMPARE(line.Take(kT0 + 3ms), Bytes({1, 2, 3}));
    QCOMPARE(line.Take(kT0 + 4ms), Bytes({4}));
    QCOMPARE(line.Take(kT0 + 5ms), Bytes({5}));
    // After the line went quiet, a new frame starts from its own due time.
    line.Queue(Bytes({6}), kT0 + 50ms);
    QCOMPARE(line.NextWake(), std::optional(kT0 + 50ms));
    QVERIFY(line.Take(kT0 + 50ms).empty());
    QCOMPARE(line.Take(kT0 + 51ms), Bytes({6}));
}

void TestLineWriter::pacedTimingRunsFromDueTimeNotFromWakeUp() {
    LineWriter line(kByte);
    line.Queue(Bytes({1, 2, 3, 4}), kT0);
    // The loop woke up 2.5 ms late: what would have arrived by now comes at once, the
    // rest keeps the original schedule.
    QCOMPARE(line.Take(kT0 + 2500us), Bytes({1, 2}));
    QCOMPARE(line.NextWake(), std::optional(kT0 + 3ms));
}

void TestLineWriter::clearDropsEverything() {
    LineWriter line(kByte);
    line.Queue(Bytes({1, 2}), kT0);
    line.Queue(Bytes({3}), kT0 + 1s);
    line.Take(kT0 + 1ms);
    line.Clear();
    QVERIFY(line.Idle());
    QVERIFY(line.Take(kT0 + 2s).empty());
}

QTEST_APPLESS_MAIN(TestLineWriter)
#include "tst_linewriter.moc"
