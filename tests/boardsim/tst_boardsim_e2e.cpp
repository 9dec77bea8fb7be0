// The adapter firmware on the simulated board, through its serial line and its I2C bus:
// every command, bad input, the bus master, the EEPROM across resets and restarts, the
// line fault options, and the firmware's behaviour under load.
#include "firmware/BoardLayout.h"
#include "protocol/FrameFormat.h"
#include "tests/support/CameraHold.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ExpectReply.h"
#include "tests/support/PtyClient.h"
#include "tests/support/SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using quillon::protocol::ProtocolCodec;
using Frame = ProtocolCodec::Frame;

namespace {

constexpr int kAnyGarbage = -1;
constexpr int kReplyMs = 3000;  // generous: the machine may be busy
constexpr int kSilenceMs = 300; // how long "no reply" is given to show itself

QByteArray Encode(uint8_t seq, uint8_t code, const QByteArray& payload = {}) {
    std::vector<uint8_t> out;
    ProtocolCodec::Encode(seq, code, reinterpret_cast<const uint8_t*>(payload.data()),
                          std::size_t(payload.size()), out);
    return QByteArray(reinterpret_cast<const char*>(out.data()), qsizetype(out.size()));
}

std::vector<uint8_t> Bytes(const QByteArray& data) {
    return std::vector<uint8_t>(data.begin(), data.end());
}

// The index-th unsigned 32-bit counter of a payload, least significant byte first.
uint32_t CounterAt(const QByteArray& payload, int index) {
    uint32_t value = 0;
    for (int byte = 3; byte >= 0; --byte) {
        value = (value << 8) | uint8_t(payload[index * 4 + byte]);
    }
    return value;
}
} // namespace

#define EXPECT_REPLY(fr, wantSeq, wantCode)                                                        \
    QUILLON_EXPECT_REPLY(client, fr, kReplyMs, wantSeq, wantCode)

class TestBoardSimEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<SimProcess> sim;
    PtyClient client;

    // The board with the real firmware; --fast unless the test is about wall-clock time.
    bool Start(const QStringList& args, bool fast = true) {
        client.Close();
        sim = std::make_unique<SimProcess>(SimProcess::Program::Board);
        if (const auto error = sim->Start(fast ? args + QStringList{"--fast"} : args)) {
            qWarning("%s", qPrintable(*error));
            return false;
        }
        return client.Open(sim->Device());
    }

    // The event lines that are not the bus or pin lines a test did not ask about.
    QStringList Events() { return sim->EventTexts(); }

    // A board on this state file that took the change of its address to 7E and its save;
    // the save's reply is left in frame.
    bool StartAndSave7E(const QString& state, Frame& frame) {
        const auto answered = [&](uint8_t seq, char code) {
            return client.Receive(frame, kReplyMs) == PtyClient::Result::Frame &&
                   frame.seq == seq && frame.code == uint8_t(code);
        };
        return Start({"--state", state}) && client.Command(1, 'C', {0x7E}) && answered(1, 'c') &&
               client.Command(2, 'S') && answered(2, 's');
    }

private slots:
    void cleanup() {
        client.Close();
        sim.reset();
    }

    void everyCommandIsAnswered_data();
    void everyCommandIsAnswered();
    void badInputIsIgnored_data();
    void badInputIsIgnored();
    void masterTransactions_data();
    void masterTransactions();
    void addressKeptAcrossResetAndRestart();
    void malformedStateFileStartsErased();
    void unwritableStateFileIsReportedButSaveAnswered();
    void noReplyStillSendsMasterData();
    void lateReply();
    void garbageBeforeReplies();
    void hangUpAfterFrames();
    void interruptPulseWidth_data();
    void interruptPulseWidth();
    void cameraHoldTimeInRealTime();
    void masterWritesAtLineCapacityArriveInOrder();
    void longMasterWriteArrivesWholeAcrossFrames();
    void releasePacingForwardsTheNewest();
    void writeTimesFollowTheFrames_data();
    void writeTimesFollowTheFrames();
    void optionsOnlyTheFirmwareCanSet_data();
    void optionsOnlyTheFirmwareCanSet();
};

void TestBoardSimEndToEnd::everyCommandIsAnswered_data() {
    // replyPayload: null: any valid version text
    quillon::testing::AddColumns<int, QByteArray, int, QByteArray, QStringList>(
        {"code", "payload", "replyCode", "replyPayload", "events"});
    QTest::newRow("version") << int('V') << QByteArray() << int('v') << QByteArray()
                             << QStringList{"version sent"};
    QTest::newRow("write, no interrupt") << int('W') << QByteArray("\x00\xBF", 2) << int('w')
                                         << QByteArray("") << QStringList{"port FF -> BF"};
    QTest::newRow("write, INT1") << int('W') << QByteArray("\x01\xBF", 2) << int('x')
                                 << QByteArray("") << QStringList{"port FF -> BF", "INT1 pulse"};
    QTest::newRow("write, INT2") << int('W') << QByteArray("\x02\xF7", 2) << int('y')
                                 << QByteArray("") << QStringList{"port FF -> F7", "INT2 pulse"};
    QTest::newRow("write, port takes the last of 16")
        << int('W') << QByteArray(1, '\0') + QByteArray(15, '\x11') + QByteArray(1, '\x5A')
        << int('w') << QByteArray("") << QStringList{"port FF -> 5A"};
    QTest::newRow("read address") << int('A') << QByteArray() << int('a') << QByteArray("\x40")
                                  << QStringList{"address read 40"};
    QTest::newRow("change address, bit 0 dropped")
        << int('C') << QByteArray("\x7F") << int('c') << QByteArray("\x7E")
        << QStringList{"address 40 -> 7E"};
    QTest::newRow("save address") << int('S') << QByteArray() << int('s') << QByteArray("\x40")
                                  << QStringList{"address saved 40"};
    QTest::newRow("pacing asked: an erased EEPROM releases")
        << int('P') << QByteArray("\xFF") << int('p') << QByteArray(1, '\0')
        << QStringList{"pacing release"};
    QTest::newRow("pacing hold") << int('P') << QByteArray("\x01") << int('p') << QByteArray("\x01")
                                 << QStringList{"pacing hold"};
    QTest::newRow("counters, no bus traffic yet")
        << int('Q') << QByteArray() << int('q') << QByteArray(20, '\0')
        << QStringList{"counters sent"};
}

void TestBoardSimEndToEnd::everyCommandIsAnswered() {
    QFETCH(int, code);
    QFETCH(QByteArray, payload);
    QFETCH(int, replyCode);
    QFETCH(QByteArray, replyPayload);
    QFETCH(QStringList, events);
    QVERIFY(Start({}));
    QVERIFY(client.Send(Bytes(Encode(77, uint8_t(code), payload))));
    Frame frame;
    EXPECT_REPLY(frame, 77, replyCode);
    if (replyPayload.isNull()) {
        static const QRegularExpression printable("^[\\x20-\\x7E]{1,64}$");
        QVERIFY2(printable.match(QString::fromLatin1(Payload(frame))).hasMatch(),
                 Payload(frame).toHex(' ').constData());
    } else {
        QCOMPARE(Payload(frame), replyPayload);
    }
    QTRY_COMPARE(sim->EventTexts(), events);
}

void TestBoardSimEndToEnd::badInputIsIgnored_data() {
    QTest::addColumn<QByteArray>("bytes");
    // What the simulator logs of the host's bytes that were no frame: nothing for a whole
    // frame the firmware refuses, N for "error garbage: N bytes dropped", or kAnyGarbage.
    QTest::addColumn<int>("garbage");
    QTest::newRow("unknown code") << Encode(9, 'Z') << 0;
    QTest::newRow("a reply code as command") << Encode(9, 'v') << 0;
    QTest::newRow("interrupt type 3") << Encode(9, 'W', QByteArray("\x03\x00", 2)) << 0;
    QTest::newRow("write without data") << Encode(9, 'W', QByteArray(1, '\0')) << 0;
    QTest::newRow("write with 17 data bytes") << Encode(9, 'W', QByteArray(18, '\0')) << 0;
    QTest::newRow("version with payload") << Encode(9, 'V', "x") << 0;
    QTest::newRow("change without address") << Encode(9, 'C') << 0;
    QTest::newRow("save with payload") << Encode(9, 'S', "\x7E") << 0;
    QTest::newRow("command with SEQ 0") << Encode(0, 'A') << 0;
    QByteArray badCrc = Encode(9, 'A');
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 0x55);
    QTest::newRow("bad CRC") << badCrc << 5;
    QTest::newRow("STX with a length above 127") << QByteArray("\x02\x90\x09\x41\x00", 5) << 5;
    QTest::newRow("lone STX, then silence") << QByteArray(1, '\x02') << 1;
    QTest::newRow("cut-off frame") << Encode(9, 'C', "\x7E").left(4) << 4;
    QByteArray noise(600, '\0');
    QRandomGenerator random(4711);
    for (char& c : noise) {
        c = char(random.bounded(256));
    }
    QTest::newRow("600 bytes of noise") << noise << kAnyGarbage;
}

void TestBoardSimEndToEnd::badInputIsIgnored() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, garbage);
    QVERIFY(Start({}));
    QVERIFY(client.Send(Bytes(bytes)));
    Frame frame;
    QCOMPARE(client.Receive(frame, kSilenceMs), PtyClient::Result::Timeout);
    if (garbage == 0) {
        const QStringList dropped = sim->EventTexts().filter("error garbage: ");
        QVERIFY2(dropped.isEmpty(), qPrintable(dropped.join(" | ")));
    } else if (garbage != kAnyGarbage) {
        const QString bytesDropped = garbage == 1 ? "1 byte" : QString("%1 bytes").arg(garbage);
        QTRY_COMPARE(sim->EventTexts().filter("error garbage: "),
                     QStringList{"error garbage: " + bytesDropped + " dropped"});
    }
    // The board is still there, and the next good command is the first thing answered.
    QVERIFY(client.Command(10, 'A'));
    EXPECT_REPLY(frame, 10, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x40"));
    QTRY_VERIFY(sim->HasEvent("address read 40"));
    QVERIFY2(!sim->EventTexts().join('\n').contains("error firmware"),
             qPrintable(sim->EventTexts().join(" | ")));
}

void TestBoardSimEndToEnd::masterTransactions_data() {
    // notified: payload of the 'i' frame; empty for a read
    // ports: the port lines, in order
    quillon::testing::AddColumns<QString, QByteArray, QString, QStringList>(
        {"command", "notified", "line", "ports"});
    QTest::newRow("write one byte")
        << "write 5A" << QByteArray("\x5A") << "master wrote 5A" << QStringList{"port FF -> 5A"};
    // As on a PCF8574, the port takes each byte as it arrives.
    QTest::newRow("write three") << "write 5a 12 34" << QByteArray("\x5A\x12\x34")
                                 << "master wrote 5A 12 34"
                                 << QStringList{"port FF -> 5A", "port 5A -> 12", "port 12 -> 34"};
    QTest::newRow("read one") << "read" << QByteArray() << "master read FF" << QStringList{};
    QTest::newRow("read three (ACK, ACK, NACK)")
        << "read 3" << QByteArray() << "master read FF FF FF" << QStringList{};
}

void TestBoardSimEndToEnd::masterTransactions() {
    QFETCH(QString, command);
    QFETCH(QByteArray, notified);
    QFETCH(QString, line);
    QFETCH(QStringList, ports);
    QVERIFY(Start({}));
    sim->Command(command);
    Frame frame;
    if (notified.isEmpty()) {
        QCOMPARE(client.Receive(frame, kSilenceMs), PtyClient::Result::Timeout);
    } else {
        EXPECT_REPLY(frame, 0, 'i');
        QCOMPARE(Payload(frame), notified);
    }
    QTRY_VERIFY(sim->HasEvent(line));
    QCOMPARE(sim->EventTexts().filter(QRegularExpression("^port ")), ports);
    QCOMPARE(sim->EventTexts().size(), ports.size() + 1);
    // The port a master reads back is what was written last.
    sim->Command("read");
    const QString port = notified.isEmpty() ? "FF" : QString(notified.right(1).toHex().toUpper());
    QTRY_VERIFY(sim->HasEvent("master read " + port));
}

void TestBoardSimEndToEnd::addressKeptAcrossResetAndRestart() {
    QTemporaryDir dir;
    const QString state = dir.filePath("board.state");
    Frame frame;
    QVERIFY(StartAndSave7E(state, frame));
    QCOMPARE(Payload(frame), QByteArray("\x7E"));
    QTRY_VERIFY(QFile::exists(state));
    // Changed but not saved: a reset (DTR) brings back the saved address.
    QVERIFY(client.Command(3, 'C', {0x4C}));
    EXPECT_REPLY(frame, 3, 'c');
    sim->Command("reset");
    QTRY_VERIFY(sim->HasEvent("board reset"));
    QVERIFY(client.Command(4, 'A'));
    EXPECT_REPLY(frame, 4, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x7E"));
    // The bus master finds the board at its new address.
    sim->Command("write 3C");
    EXPECT_REPLY(frame, 0, 'i');
    QVERIFY(sim->Terminate());
    QFile file(state);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("address 7E\n"));

    // Power off and on: the same EEPROM.
    QVERIFY(Start({"--state", state}));
    QVERIFY(client.Command(5, 'A'));
    EXPECT_REPLY(frame, 5, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x7E"));
    QTRY_COMPARE(sim->EventTexts(), QStringList{"address read 7E"});
}

void TestBoardSimEndToEnd::unwritableStateFileIsReportedButSaveAnswered() {
    QTemporaryDir dir;
    const QString state = dir.filePath("no/such/dir/board.state");
    Frame frame;
    // The board itself did save, so its reply stands; only the file lags behind.
    QVERIFY(StartAndSave7E(state, frame));
    QTRY_VERIFY(!sim->EventTexts()
                     .filter("error EEPROM address 7E not kept in the state file: cannot create ")
                     .isEmpty());
    QVERIFY(!QFile::exists(state));
}

void TestBoardSimEndToEnd::malformedStateFileStartsErased() {
    QTemporaryDir dir;
    const QString state = dir.filePath("board.state");
    QVERIFY(SimProcess::WriteStateFile(state, "address banana\n"));
    QVERIFY(Start({"--state", state}));
    QTRY_COMPARE(sim->EventTexts().size(), 1);
    QVERIFY2(sim->EventTexts().front().startsWith("error "), qPrintable(sim->EventTexts().front()));
    QVERIFY(client.Command(1, 'A'));
    Frame frame;
    EXPECT_REPLY(frame, 1, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x40"));
}

void TestBoardSimEndToEnd::noReplyStillSendsMasterData() {
    QVERIFY(Start({"--no-reply"}));
    QVERIFY(client.Command(1, 'W', {0, 0x12}));
    QTRY_VERIFY(sim->HasEvent("port FF -> 12"));
    Frame frame;
    QCOMPARE(client.Receive(frame, kSilenceMs), PtyClient::Result::Timeout);
    sim->Command("write 77");
    EXPECT_REPLY(frame, 0, 'i');
}

void TestBoardSimEndToEnd::lateReply() {
    constexpr int kLateMs = 300;
    QVERIFY(Start({"--late-reply", QString::number(kLateMs)}));
    QElapsedTimer sent;
    sent.start();
    QVERIFY(client.Command(1, 'V'));
    sim->Command("write 66");
    // Master data is no reply: it overtakes the waiting one.
    Frame frame;
    EXPECT_REPLY(frame, 0, 'i');
    EXPECT_REPLY(frame, 1, 'v');
    QVERIFY2(sent.elapsed() >= kLateMs, qPrintable(QString::number(sent.elapsed())));
}

void TestBoardSimEndToEnd::garbageBeforeReplies() {
    QVERIFY(Start({"--garbage", "40", "--seed", "12345"}));
    Frame frame;
    for (int seq = 1; seq <= 10; ++seq) {
        const uint8_t code = seq % 2 ? 'V' : 'A';
        QVERIFY(client.Command(uint8_t(seq), code));
        EXPECT_REPLY(frame, seq, code + ('a' - 'A'));
    }
    QVERIFY(client.Discarded() >= 10);
}

void TestBoardSimEndToEnd::hangUpAfterFrames() {
    QVERIFY(Start({"--hangup-after", "2"}));
    Frame frame;
    QVERIFY(client.Command(1, 'V'));
    EXPECT_REPLY(frame, 1, 'v');
    QVERIFY(client.Command(2, 'A'));
    QUILLON_EXPECT_HANGUP(client, *sim, kReplyMs);
    QCOMPARE(sim->EventTexts(), (QStringList{"version sent", "hangup"}));
}

void TestBoardSimEndToEnd::interruptPulseWidth_data() {
    quillon::testing::AddColumns<int>({"line"});
    QTest::newRow("INT1") << 1;
    QTest::newRow("INT2") << 2;
}

void TestBoardSimEndToEnd::interruptPulseWidth() {
    QFETCH(int, line);
    QVERIFY(Start({"--pulse-widths"}));
    Frame frame;
    for (uint8_t seq = 1; seq <= 3; ++seq) {
        QVERIFY(client.Command(seq, 'W', {uint8_t(line), uint8_t(0xF0 + seq)}));
        EXPECT_REPLY(frame, seq, 'w' + line);
    }
    static const QRegularExpression width("^INT(\\d) low for ([0-9.]+) us$");
    QTRY_COMPARE(sim->EventTexts().filter(width).size(), 3);
    const double nominal = quillon::firmware::kIntPulseMicroseconds;
    for (const QString& text : sim->EventTexts().filter(width)) {
        const auto m = width.match(text);
        QCOMPARE(m.captured(1).toInt(), line);
        const double us = m.captured(2).toDouble();
        QVERIFY2(us >= nominal && us <= nominal * 1.2, qPrintable(text));
    }
}

void TestBoardSimEndToEnd::cameraHoldTimeInRealTime() {
    QVERIFY(Start({"--camera"}, false));
    Frame frame;
    // The board sees each write somewhere between sending it and getting its reply, so
    // those instants bound the hold time it can measure.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(client.Command(1, 'W', {1, 0xBF}));
    EXPECT_REPLY(frame, 1, 'x');
    const double pressReplyMs = double(clock.nsecsElapsed()) / 1e6;
    QCOMPARE(client.Receive(frame, 200), PtyClient::Result::Timeout);
    const double releaseSentMs = double(clock.nsecsElapsed()) / 1e6;
    QVERIFY(client.Command(2, 'W', {1, 0xFF}));
    EXPECT_REPLY(frame, 2, 'x');
    const double releaseReplyMs = double(clock.nsecsElapsed()) / 1e6;

    QTRY_VERIFY(sim->EventTexts().size() >= 6);
    const QString wrong =
        CameraHoldProblem(sim->EventTexts(), releaseSentMs - pressReplyMs, releaseReplyMs);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestBoardSimEndToEnd::masterWritesAtLineCapacityArriveInOrder() {
    constexpr int kWrites = 1000;
    QVERIFY(Start({}));
    Frame frame;
    // The next write goes on the bus as soon as the last notification is through, so the
    // line from the board never rests.
    for (int n = 0; n < kWrites; ++n) {
        const uint8_t value = uint8_t(n * 7);
        sim->Command(QString("write %1").arg(value, 2, 16, QChar('0')));
        QCOMPARE(client.Receive(frame, kReplyMs), PtyClient::Result::Frame);
        QCOMPARE(int(frame.code), int('i'));
        QVERIFY2(
            frame.length == 1 && frame.payload[0] == value,
            qPrintable(
                QString("write %1 notified as %2").arg(n).arg(QString(Payload(frame).toHex(' ')))));
    }
    QTRY_COMPARE(sim->EventTexts().filter(QRegularExpression("^master wrote ")).size(), kWrites);
    QCOMPARE(sim->EventTexts().filter(QRegularExpression("^error")), QStringList());
}

void TestBoardSimEndToEnd::longMasterWriteArrivesWholeAcrossFrames() {
    constexpr int kLength = 300;
    QVERIFY(Start({}));
    QByteArray written;
    QStringList words{"write"};
    for (int i = 0; i < kLength; ++i) {
        written.append(char(i * 13 + 1));
        words << QString::number(uint8_t(written.back()), 16);
    }
    sim->Command(words.join(' '));
    QByteArray notified;
    Frame frame;
    while (notified.size() < kLength) {
        QCOMPARE(client.Receive(frame, kReplyMs), PtyClient::Result::Frame);
        QCOMPARE(int(frame.code), int('i'));
        notified += Payload(frame);
    }
    QCOMPARE(notified, written);
    QCOMPARE(client.Receive(frame, kSilenceMs), PtyClient::Result::Timeout);
}

void TestBoardSimEndToEnd::releasePacingForwardsTheNewest() {
    // Sixty one-byte writes at bus speed, far more than the line carries meanwhile: the
    // firmware never holds the bus, forwards the writes it has room for in order, says how
    // many it gave up before the frame behind the gap, and the last one always arrives.
    constexpr int kWrites = 60;
    QVERIFY(Start({}));
    for (int n = 0; n < kWrites; ++n) {
        sim->Command(QString("write %1").arg(n, 2, 16, QChar('0')));
    }
    Frame frame;
    int previous = -1;
    int notForwarded = 0;
    int gap = 0; // writes given up right before the next i frame
    while (previous != kWrites - 1) {
        QCOMPARE(client.Receive(frame, kReplyMs), PtyClient::Result::Frame);
        QCOMPARE(int(frame.seq), 0);
        if (frame.code == 'd') {
            QCOMPARE(int(frame.length), 4);
            const int count = int(CounterAt(Payload(frame), 0));
            gap = count - notForwarded;
            notForwarded = count;
            QVERIFY(gap > 0);
            continue;
        }
        QCOMPARE(int(frame.code), int('i'));
        QCOMPARE(int(frame.length), 1);
        QCOMPARE(int(frame.payload[0]), previous + 1 + gap);
        previous = frame.payload[0];
        gap = 0;
    }
    QVERIFY(notForwarded > 0);
    QVERIFY(client.Send(Bytes(Encode(5, 'Q'))));
    EXPECT_REPLY(frame, 5, 'q');
    using quillon::protocol::Counter;
    QCOMPARE(int(CounterAt(Payload(frame), int(Counter::MasterWrites))), kWrites);
    QCOMPARE(int(CounterAt(Payload(frame), int(Counter::NotForwarded))), notForwarded);
    QCOMPARE(int(CounterAt(Payload(frame), int(Counter::LongestHoldUs))), 0);
    QCOMPARE(sim->EventTexts().filter(QRegularExpression("^error")), QStringList());
    QVERIFY(sim->EventTexts().contains(QString("not forwarded %1").arg(notForwarded)));
}

void TestBoardSimEndToEnd::writeTimesFollowTheFrames_data() {
    quillon::testing::AddColumns<int, QString>({"length", "frames"});
    QTest::newRow("one byte, one frame") << 1 << "6";
    // Long enough after the first 127 bytes (23 x 90 us) for the first frame to be under
    // way at the STOP, whatever simavr's UART tick adds (up to one byte time).
    QTest::newRow("150 bytes, two frames") << 150 << "132+28";
}

// The line of --write-times against what the host received: the frames it names, and
// times that fit them.
void TestBoardSimEndToEnd::writeTimesFollowTheFrames() {
    QFETCH(int, length);
    QFETCH(QString, frames);
    QVERIFY(Start({"--write-times"}));
    QByteArray written;
    QStringList words{"write"};
    for (int i = 0; i < length; ++i) {
        written.append(char(i + 1));
        words << QString::number(i + 1, 16);
    }
    sim->Command(words.join(' '));
    QByteArray notified;
    Frame frame;
    int wireBytes = 0;
    while (notified.size() < length) {
        EXPECT_REPLY(frame, 0, 'i');
        notified += Payload(frame);
        wireBytes += int(ProtocolCodec::kHeaderSize + frame.length + ProtocolCodec::kCrcSize);
    }
    QCOMPARE(notified, written);

    static const QRegularExpression line(
        R"(^master write (\d+) bytes: STOP ([0-9.]+) ms, i frames ([0-9+]+) bytes from )"
        R"(([0-9.]+) ms to ([0-9.]+) ms, ([0-9.]+) bytes after the STOP$)");
    QTRY_COMPARE(sim->EventTexts().filter(line).size(), 1);
    const auto m = line.match(sim->EventTexts().filter(line).first());
    QCOMPARE(m.captured(1).toInt(), length);
    QCOMPARE(m.captured(3), frames);
    const double stop = m.captured(2).toDouble();
    const double first = m.captured(4).toDouble();
    const double last = m.captured(5).toDouble();
    const double afterStop = m.captured(6).toDouble();
    // The frames cannot cross the wire faster than the line's speed allows (the UART's
    // divisor may make it a little faster than nominal).
    using quillon::protocol::LineFormat;
    const double byteMs = LineFormat::kBitsPerByte * 1000.0 / LineFormat::kBaud;
    QVERIFY2(last - first >= 0.99 * wireBytes * byteMs, qPrintable(m.captured(0)));
    QVERIFY2(last - stop >= 0.99 * afterStop * byteMs, qPrintable(m.captured(0)));
    if (frames.contains('+')) {
        // The first frame left while the master was still writing.
        QVERIFY2(first < stop && afterStop > 0 && afterStop < wireBytes, qPrintable(m.captured(0)));
    } else {
        QVERIFY2(first >= stop && afterStop == wireBytes, qPrintable(m.captured(0)));
    }
}

void TestBoardSimEndToEnd::optionsOnlyTheFirmwareCanSet_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("version text") << QStringList{"--version", "Other"};
    QTest::newRow("line speed") << QStringList{"--baud", "2400"};
}

void TestBoardSimEndToEnd::optionsOnlyTheFirmwareCanSet() {
    QFETCH(QStringList, args);
    QProcess process;
    process.start(SimProcess::Binary(SimProcess::Program::Board), args);
    QVERIFY(process.waitForFinished(kReplyMs));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(process.readAllStandardError().contains("firmware"), "no reason given");
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestBoardSimEndToEnd)
#include "tst_boardsim_e2e.moc"
