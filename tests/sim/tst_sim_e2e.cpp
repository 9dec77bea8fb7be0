#include "tests/support/CameraHold.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ExpectReply.h"
#include "tests/support/PtyClient.h"
#include "tests/support/SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <poll.h>

using quillon::protocol::ProtocolCodec;
using Frame = ProtocolCodec::Frame;

namespace {

// How long to wait for a reply or event that must come. Waiting ends as soon as it comes,
// so only a failing test pays for the length; a busy machine must not make a passing one
// fail.
constexpr int kReplyMs = 10000;

} // namespace

// Starts a simulator with the given options and opens its line; fails the test otherwise.
#define START_SIM(sim, client, ...)                                                                \
    SimProcess sim;                                                                                \
    PtyClient client;                                                                              \
    do {                                                                                           \
        const auto startError = sim.Start(QStringList{__VA_ARGS__});                               \
        QVERIFY2(!startError, qPrintable(startError.value_or(QString())));                         \
        QVERIFY2(client.Open(sim.Device()), qPrintable(sim.Device()));                             \
    } while (false)

#define EXPECT_REPLY(cl, fr, wantSeq, wantCode)                                                    \
    QUILLON_EXPECT_REPLY(cl, fr, kReplyMs, wantSeq, wantCode)

class TestSimEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void firstLineAndEventFormat();
    void writeReportsPortAndInterrupt_data();
    void writeReportsPortAndInterrupt();
    void savedAddressSurvivesRestart();
    void unusableStateFileKeepsDefaultAddress_data();
    void unusableStateFileKeepsDefaultAddress();
    void failedSaveIsNotConfirmed();
    void malformedFrameIsNotAnswered_data();
    void malformedFrameIsNotAnswered();
    void masterWriteSendsDataFrame_data();
    void masterWriteSendsDataFrame();
    void hangUp_data();
    void hangUp();
    void noReply();
    void bootSwallowsWhatComesFirst();
    void lateReplyDoesNotBlockInput();
    void garbageBeforeRepliesIsSkipped();
    void cameraReportsHoldTime();
    void pacingTakesLineTime_data();
    void pacingTakesLineTime();
    void linkServesSuccessiveClientsAndGoesOnTerm();
};

void TestSimEndToEnd::firstLineAndEventFormat() {
    START_SIM(sim, client, "--version", "Bench Box 7");
    QVERIFY(QFileInfo(sim.Device()).exists());
    QVERIFY(client.Command(1, 'V'));
    Frame frame;
    EXPECT_REPLY(client, frame, 1, 'v');
    QCOMPARE(Payload(frame), QByteArray("Bench Box 7"));
    QTRY_COMPARE(sim.RawLines().size(), 1);
    static const QRegularExpression format(R"(^\[[ \d]{7}\.\d{3}\] version sent$)");
    QVERIFY2(format.match(sim.RawLines().front()).hasMatch(), qPrintable(sim.RawLines().front()));
}

void TestSimEndToEnd::writeReportsPortAndInterrupt_data() {
    quillon::testing::AddColumns<int, int, QStringList>({"interrupt", "replyCode", "events"});
    QTest::newRow("no interrupt") << 0 << int('w') << QStringList{"port FF -> BF"};
    QTest::newRow("INT1") << 1 << int('x') << QStringList{"port FF -> BF", "INT1 pulse"};
    QTest::newRow("INT2") << 2 << int('y') << QStringList{"port FF -> BF", "INT2 pulse"};
}

void TestSimEndToEnd::writeReportsPortAndInterrupt() {
    QFETCH(int, interrupt);
    QFETCH(int, replyCode);
    QFETCH(QStringList, events);
    START_SIM(sim, client);
    QVERIFY(client.Command(42, 'W', {uint8_t(interrupt), 0xBF}));
    Frame frame;
    EXPECT_REPLY(client, frame, 42, replyCode);
    QCOMPARE(int(frame.length), 0);
    QTRY_COMPARE(sim.EventTexts(), events);
    sim.Command("read");
    QTRY_VERIFY(sim.HasEvent("master read BF"));
}

void TestSimEndToEnd::savedAddressSurvivesRestart() {
    QTemporaryDir dir;
    const QString state = dir.filePath("adapter.state");
    Frame frame;
    {
        START_SIM(sim, client, "--state", state);
        QVERIFY(client.Command(1, 'A'));
        EXPECT_REPLY(client, frame, 1, 'a');
        QCOMPARE(Payload(frame), QByteArray("\x40"));
        QVERIFY(client.Command(2, 'C', {0x7F}));
        EXPECT_REPLY(client, frame, 2, 'c');
        QCOMPARE(Payload(frame), QByteArray("\x7E"));
        QVERIFY(client.Command(3, 'S'));
        EXPECT_REPLY(client, frame, 3, 's');
        QCOMPARE(Payload(frame), QByteArray("\x7E"));
        QTRY_COMPARE(sim.EventTexts(),
                     (QStringList{"address read 40", "address 40 -> 7E", "address saved 7E"}));
        // Changed but not saved: must not reach the file.
        QVERIFY(client.Command(4, 'C', {0x4C}));
        EXPECT_REPLY(client, frame, 4, 'c');
        QVERIFY(sim.Terminate());
    }
    QFile file(state);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("address 7E\n"));

    START_SIM(sim, client, "--state", state);
    QVERIFY(client.Command(1, 'A'));
    EXPECT_REPLY(client, frame, 1, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x7E"));
}

void TestSimEndToEnd::unusableStateFileKeepsDefaultAddress_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("malformed") << QByteArray("address banana\n");
    QTest::newRow("reserved address") << QByteArray("address 00\n");
}

void TestSimEndToEnd::unusableStateFileKeepsDefaultAddress() {
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    const QString state = dir.filePath("adapter.state");
    QVERIFY(SimProcess::WriteStateFile(state, text));

    START_SIM(sim, client, "--state", state);
    QTRY_COMPARE(sim.EventTexts().size(), 1);
    QVERIFY2(sim.EventTexts().front().startsWith("error "), qPrintable(sim.EventTexts().front()));
    QVERIFY(client.Command(1, 'A'));
    Frame frame;
    EXPECT_REPLY(client, frame, 1, 'a');
    QCOMPARE(Payload(frame), QByteArray("\x40"));
}

void TestSimEndToEnd::failedSaveIsNotConfirmed() {
    QTemporaryDir dir;
    START_SIM(sim, client, "--state", dir.filePath("missing/adapter.state"));
    QVERIFY(client.Command(1, 'S'));
    Frame frame;
    QCOMPARE(client.Receive(frame, 300), PtyClient::Result::Timeout);
    QTRY_COMPARE(sim.EventTexts().size(), 1);
    QVERIFY2(sim.EventTexts().front().startsWith("error address 40 not saved"),
             qPrintable(sim.EventTexts().front()));
}

void TestSimEndToEnd::malformedFrameIsNotAnswered_data() {
    QTest::addColumn<QByteArray>("bytes");
    // How the simulator's log starts: a frame it refuses, or bytes that were no frame.
    QTest::addColumn<QString>("event");
    const auto encode = [](uint8_t code, std::initializer_list<uint8_t> payload) {
        const auto frame = ProtocolCodec::Encode(9, code, payload);
        return QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
    };
    QTest::newRow("unknown code") << encode('Z', {}) << "error ";
    QTest::newRow("interrupt type 3") << encode('W', {3, 0x00}) << "error ";
    QTest::newRow("version with payload") << encode('V', {1}) << "error ";
    QTest::newRow("change without address") << encode('C', {}) << "error ";
    QByteArray badCrc = encode('A', {});
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 0x55);
    QTest::newRow("bad CRC") << badCrc << "error garbage: 5 bytes dropped";
    // Given up by the 20 ms idle rule, not by anything that follows it.
    QTest::newRow("cut-off frame")
        << encode('C', {0x7E}).left(4) << "error garbage: 4 bytes dropped";
    QTest::newRow("lone STX") << QByteArray(1, '\x02') << "error garbage: 1 byte dropped";
}

void TestSimEndToEnd::malformedFrameIsNotAnswered() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, event);
    START_SIM(sim, client);
    QVERIFY(client.Send(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    QTRY_COMPARE(sim.EventTexts().size(), 1);
    QVERIFY2(sim.EventTexts().front().startsWith(event), qPrintable(sim.EventTexts().front()));
    // The next good command is answered, and it is the first thing on the line.
    QVERIFY(client.Command(10, 'V'));
    Frame frame;
    EXPECT_REPLY(client, frame, 10, 'v');
    QTRY_COMPARE(sim.EventTexts().mid(1), QStringList{"version sent"});
}

void TestSimEndToEnd::masterWriteSendsDataFrame_data() {
    quillon::testing::AddColumns<QByteArray, QByteArray, QString>({"command", "payload", "event"});
    QTest::newRow("one byte") << QByteArray("write 5A") << QByteArray("\x5A") << "master wrote 5A";
    QTest::newRow("three bytes") << QByteArray("write 5a 12 34") << QByteArray("\x5A\x12\x34")
                                 << "master wrote 5A 12 34";
}

void TestSimEndToEnd::masterWriteSendsDataFrame() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, payload);
    QFETCH(QString, event);
    START_SIM(sim, client);
    sim.Command(QString::fromUtf8(command));
    Frame frame;
    EXPECT_REPLY(client, frame, 0, 'i');
    QCOMPARE(Payload(frame), payload);
    QTRY_VERIFY(sim.HasEvent(event));
    sim.Command("read");
    QTRY_VERIFY(sim.HasEvent("master read " + event.right(2)));
    sim.Command("write 5G");
    QTRY_VERIFY(sim.EventTexts().last().startsWith("error "));
}

void TestSimEndToEnd::hangUp_data() {
    quillon::testing::AddColumns<QStringList, bool>({"args", "byCommand"});
    QTest::newRow("--hangup-after 2") << QStringList{"--hangup-after", "2"} << false;
    QTest::newRow("stdin hangup") << QStringList{} << true;
}

void TestSimEndToEnd::hangUp() {
    QFETCH(QStringList, args);
    QFETCH(bool, byCommand);
    SimProcess sim;
    PtyClient client;
    const auto error = sim.Start(args);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QVERIFY(client.Open(sim.Device()));

    Frame frame;
    QVERIFY(client.Command(1, 'V'));
    EXPECT_REPLY(client, frame, 1, 'v');
    if (byCommand) {
        sim.Command("hangup");
    } else {
        QVERIFY(client.Command(2, 'A'));
    }
    QUILLON_EXPECT_HANGUP(client, sim, kReplyMs);
    QCOMPARE(sim.EventTexts(), (QStringList{"version sent", "hangup"}));
}

void TestSimEndToEnd::noReply() {
    START_SIM(sim, client, "--no-reply");
    QVERIFY(client.Command(1, 'V'));
    QVERIFY(client.Command(2, 'W', {0, 0x12}));
    QTRY_VERIFY(sim.HasEvent("port FF -> 12"));
    Frame frame;
    QCOMPARE(client.Receive(frame, 300), PtyClient::Result::Timeout);
    // Unsolicited data is no reply, and still comes.
    sim.Command("write 77");
    EXPECT_REPLY(client, frame, 0, 'i');
}

void TestSimEndToEnd::bootSwallowsWhatComesFirst() {
    START_SIM(sim, client, "--boot-ms", "300");
    // The first byte starts the bootloader's time: both V, written in one go, are lost.
    std::vector<uint8_t> twice = ProtocolCodec::Encode(1, 'V');
    ProtocolCodec::Encode(2, 'V', nullptr, 0, twice);
    QVERIFY(client.Send(twice));
    Frame frame;
    QCOMPARE(client.Receive(frame, 100), PtyClient::Result::Timeout);
    QTRY_COMPARE(sim.EventTexts(), QStringList{"booted, 10 bytes ignored"});
    QVERIFY(client.Command(3, 'V'));
    EXPECT_REPLY(client, frame, 3, 'v');
    QTRY_COMPARE(sim.EventTexts(), (QStringList{"booted, 10 bytes ignored", "version sent"}));
}

void TestSimEndToEnd::lateReplyDoesNotBlockInput() {
    constexpr int kLateMs = 300;
    START_SIM(sim, client, "--late-reply", QString::number(kLateMs));
    QElapsedTimer sent;
    sent.start();
    QVERIFY(client.Command(1, 'V'));
    QVERIFY(client.Command(2, 'W', {0, 0x12}));
    sim.Command("write 66");
    // The simulator got the V after the clock started, so its reply is due no earlier than
    // kLateMs from now on; the master's write was on its input by the time this reads.
    const qint64 writtenMs = sent.elapsed();
    QList<uint8_t> codes;
    Frame frame;
    for (int n = 0; n < 3; ++n) {
        QCOMPARE(client.Receive(frame, kReplyMs), PtyClient::Result::Frame);
        codes << frame.code;
        if (frame.code == 'v') {
            QVERIFY2(sent.elapsed() >= kLateMs, qPrintable(QString::number(sent.elapsed())));
        }
    }
    QTRY_VERIFY(sim.HasEvent("port FF -> 12"));
    if (writtenMs < kLateMs) {
        // It had the write before the first reply was due: serving its input while the
        // reply waits, it sends the master's data first.
        QCOMPARE(codes, (QList<uint8_t>{'i', 'v', 'w'}));
    } else {
        // This machine took longer to write than the reply waits: only the replies' order
        // is certain.
        QVERIFY(codes.indexOf('v') < codes.indexOf('w'));
        QVERIFY(codes.contains('i'));
    }
}

void TestSimEndToEnd::garbageBeforeRepliesIsSkipped() {
    START_SIM(sim, client, "--garbage", "40", "--seed", "12345");
    Frame frame;
    for (int seq = 1; seq <= 30; ++seq) {
        const uint8_t code = seq % 2 ? 'V' : 'A';
        QVERIFY(client.Command(uint8_t(seq), code));
        EXPECT_REPLY(client, frame, seq, code + ('a' - 'A'));
    }
    QVERIFY(client.Discarded() >= 30);
}

void TestSimEndToEnd::cameraReportsHoldTime() {
    START_SIM(sim, client, "--camera");
    Frame frame;
    // The simulator sees each write somewhere between sending it and getting its reply, so
    // those instants bound the hold time it can measure; on an idle machine they are a
    // fraction of a millisecond apart.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(client.Command(1, 'W', {1, 0xBF}));
    EXPECT_REPLY(client, frame, 1, 'x');
    const double pressReplyMs = double(clock.nsecsElapsed()) / 1e6;
    // Hold the switch, and make sure nothing else arrives meanwhile.
    QCOMPARE(client.Receive(frame, 200), PtyClient::Result::Timeout);
    const double releaseSentMs = double(clock.nsecsElapsed()) / 1e6;
    QVERIFY(client.Command(2, 'W', {1, 0xFF}));
    EXPECT_REPLY(client, frame, 2, 'x');
    const double releaseReplyMs = double(clock.nsecsElapsed()) / 1e6;

    QTRY_VERIFY(sim.EventTexts().size() >= 6);
    const QString wrong =
        CameraHoldProblem(sim.EventTexts(), releaseSentMs - pressReplyMs, releaseReplyMs);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestSimEndToEnd::pacingTakesLineTime_data() {
    quillon::testing::AddColumns<QStringList, double>({"args", "byteMs"});
    QTest::newRow("9600 baud") << QStringList{"--pace"} << 10.0 / 9600 * 1000;
    QTest::newRow("2400 baud") << QStringList{"--baud", "2400"} << 10.0 / 2400 * 1000;
}

void TestSimEndToEnd::pacingTakesLineTime() {
    QFETCH(QStringList, args);
    QFETCH(double, byteMs);
    const QString version(60, 'P');
    SimProcess sim;
    PtyClient client;
    const auto error = sim.Start(args + QStringList{"--version", version});
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QVERIFY(client.Open(sim.Device()));

    Frame frame;
    for (int seq = 1; seq <= 3; ++seq) {
        QElapsedTimer clock;
        clock.start(); // before sending: the simulator may answer before Command() returns
        QVERIFY(client.Command(uint8_t(seq), 'V'));
        QCOMPARE(client.Receive(frame, kReplyMs, PtyClient::Partial::Wait),
                 PtyClient::Result::Frame);
        QCOMPARE(int(frame.seq), seq);
        const double tookMs = double(clock.nsecsElapsed()) / 1e6;
        const double lineMs = (ProtocolCodec::kHeaderSize + 1 + version.size()) * byteMs;
        QVERIFY2(tookMs >= lineMs,
                 qPrintable(QString("took %1 ms, the line needs %2 ms").arg(tookMs).arg(lineMs)));
    }
}

void TestSimEndToEnd::linkServesSuccessiveClientsAndGoesOnTerm() {
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyADAPTER");
    SimProcess sim;
    const auto error = sim.Start({"--link", link});
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.Device());
    sim.Process().closeWriteChannel(); // end of input must not end the simulator

    Frame frame;
    for (int round = 1; round <= 3; ++round) {
        PtyClient client;
        QVERIFY2(client.Open(link), qPrintable(QString("round %1").arg(round)));
        QVERIFY(client.Command(uint8_t(round), 'A'));
        EXPECT_REPLY(client, frame, round, 'a');
    }
    QVERIFY(sim.Terminate());
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestSimEndToEnd)
#include "tst_sim_e2e.moc"
