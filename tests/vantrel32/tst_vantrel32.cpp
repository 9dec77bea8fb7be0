// The adapter library against quillon-adapter-sim over a real pseudo-terminal.
#include "NotificationLog.h"
#include "tests/support/DataColumns.h"
#include "tests/support/PtyClient.h"
#include "tests/support/SimProcess.h"
#include "vantrel32/Vantrel32.h"
#include "vantrel32/VantrelExtras.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// Short names for the notification codes and command statuses the tables below list.
constexpr uintptr_t kTimeOut = VANTREL_NOTIFY_TIMEOUT;
constexpr uintptr_t kOpened = VANTREL_NOTIFY_OPENED;
constexpr uintptr_t kClosed = VANTREL_NOTIFY_CLOSED;
constexpr uintptr_t kVersion = VANTREL_NOTIFY_VERSION;
constexpr uintptr_t kAddress = VANTREL_NOTIFY_ADDRESS_READ;
constexpr uintptr_t kChanged = VANTREL_NOTIFY_ADDRESS_CHANGED;
constexpr uintptr_t kSaved = VANTREL_NOTIFY_ADDRESS_SAVED;
constexpr uintptr_t kWritten = VANTREL_NOTIFY_WRITTEN;
constexpr uintptr_t kWrittenInt1 = VANTREL_NOTIFY_WRITTEN_INT1;
constexpr uintptr_t kWrittenInt2 = VANTREL_NOTIFY_WRITTEN_INT2;
constexpr uintptr_t kMasterData = VANTREL_NOTIFY_MASTER_DATA;
constexpr uintptr_t kPacing = VANTREL_NOTIFY_PACING;
constexpr uintptr_t kCounters = VANTREL_NOTIFY_COUNTERS;
constexpr uint8_t kSent = VANTREL_STATUS_SENT;
constexpr uint8_t kPortClosed = VANTREL_STATUS_PORT_CLOSED;
constexpr uint8_t kBusy = VANTREL_STATUS_BUSY;
constexpr uint8_t kInvalid = VANTREL_STATUS_INVALID;

using Codes = QList<uintptr_t>;

// Marks the log while a library call runs, so the hook can tell a notification that
// arrived inside the call that caused it.
struct InCall {
    explicit InCall(NotificationLog& log) : log_(log) { log_.inCall = true; }
    ~InCall() { log_.inCall = false; }
    NotificationLog& log_;
};
#define CALL(expr)                                                                                 \
    [&] {                                                                                          \
        InCall guard_(*log_);                                                                      \
        return expr;                                                                               \
    }()

} // namespace

class TestVantrel32 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void openAndClose_data();
    void openAndClose();
    void openFails_data();
    void openFails();
    void closeWhileOpening();
    void comNumbersFollowBoards();
    void closedLinkRefusesCommands_data();
    void closedLinkRefusesCommands();
    void commandCompletes_data();
    void commandCompletes();
    void invalidWriteIsNotSent_data();
    void invalidWriteIsNotSent();
    void busyWhileCommandInFlight();
    void closeWhileCommandWaits();
    void timeOutFreesLinkAndDropsLateReply();
    void garbageBeforeRepliesIsSurvived_data();
    void garbageBeforeRepliesIsSurvived();
    void hangupClosesOnce_data();
    void hangupClosesOnce();
    void masterDataArrives_data();
    void masterDataArrives();
    void quickMasterWritesAreNotMixed();
    void extrasComplete_data();
    void extrasComplete();
    void framesNotKnownOrNotAwaitedAreDropped();
    void repeatedCreateKeepsOneLink();

private:
    bool StartSim(const QStringList& arguments);
    void Open();

    uint32_t message_ = 0;
    std::unique_ptr<NotificationLog> log_;
    std::unique_ptr<SimProcess> sim_;
};

bool TestVantrel32::StartSim(const QStringList& arguments) {
    sim_.reset();
    sim_ = SimProcess::StartAsCom1(arguments);
    return sim_ != nullptr;
}

void TestVantrel32::Open() {
    const qsizetype before = log_->codes.size();
    CALL(Connect(1));
    QTRY_COMPARE(log_->codes.size(), before + 2);
    QCOMPARE(log_->codes.mid(before), (Codes{kOpened, kVersion}));
    QCOMPARE(CALL(IsConnected()), uint8_t{1});
}

void TestVantrel32::initTestCase() {
    message_ = VantrelCreate();
    QVERIFY(message_ != 0);
    log_ = std::make_unique<NotificationLog>(message_);
    QCOMPARE(GetComPort(), uint16_t{1});
    QCOMPARE(GetTimeOut(), uint16_t{1500});
}

void TestVantrel32::init() {
    log_->Clear();
    log_->deliveredInsideCall = 0;
    SetComPort(1);
    SetTimeOut(1500);
}

void TestVantrel32::cleanup() {
    // Close and wait for its 9, so nothing of this test reaches the next one.
    const int closes = log_->Count(kClosed);
    CALL(Connect(0));
    QTRY_COMPARE(log_->Count(kClosed), closes + 1);
    sim_.reset();
    QCOMPARE(log_->deliveredInsideCall, 0);
}

void TestVantrel32::cleanupTestCase() {
    log_.reset();
    VantrelDestroy();
}

void TestVantrel32::openAndClose_data() {
    // booting: the first V is lost in the board's bootloader
    quillon::testing::AddColumns<int, QStringList, QByteArray, bool>(
        {"comPort", "arguments", "version", "booting"});

    QTest::newRow("COM1, default version")
        << 1 << QStringList{} << QByteArray("Quillon Adapter V1.0 (simulator)") << false;
    QTest::newRow("COM7, own version") << 7 << QStringList{"--version", "Bench adapter 2.3"}
                                       << QByteArray("Bench adapter 2.3") << false;
    // Deaf for 300 ms from the first V on: only a V repeated within the time-out reaches it,
    // with a second to spare for a busy machine.
    QTest::newRow("board in its bootloader")
        << 1 << QStringList{"--boot-ms", "300"} << QByteArray("Quillon Adapter V1.0 (simulator)")
        << true;
}

void TestVantrel32::openAndClose() {
    QFETCH(int, comPort);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, version);
    QFETCH(bool, booting);
    QVERIFY(StartSim(arguments));
    qputenv("VANTREL_COM1", "/nonexistent/only-COM7-is-the-simulator");
    qputenv(qPrintable(QStringLiteral("VANTREL_COM%1").arg(comPort)), sim_->Device().toLocal8Bit());
    SetComPort(comPort);
    QCOMPARE(GetComPort(), uint16_t(comPort));
    // As a USB serial device comes up: its last close drops DTR, which resets an Uno.
    QCOMPARE(PtyClient::HangsUpOnClose(sim_->Device()), std::optional<bool>(true));

    CALL(Connect(1));
    QCOMPARE(CALL(IsConnected()), uint8_t{0}); // opening is not open
    CALL(Connect(1));                          // while opening: no second opening
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion}));
    QCOMPARE(log_->versions, QList<QByteArray>{version});
    QCOMPARE(QByteArray(CALL(GetVersion())), version);
    QCOMPARE(CALL(IsConnected()), uint8_t{1});
    // How many V the adapter answered depends on how quickly it and the link ran: the
    // opening repeats V until a v is in. Only the notifications are the contract.
    QCOMPARE(sim_->EventTexts().first().startsWith("booted, "), booting);

    CALL(Connect(1)); // while open: nothing; the next outcome must be the read's
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kAddress}));

    CALL(Connect(0));
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kAddress, kClosed}));
    // The library left DTR up, so its next opening does not reset the board again.
    QCOMPARE(PtyClient::HangsUpOnClose(sim_->Device()), std::optional<bool>(false));
    qunsetenv(qPrintable(QStringLiteral("VANTREL_COM%1").arg(comPort)));
}

void TestVantrel32::openFails_data() {
    // device: empty for the simulator's own; refused: the system would not open it, so
    // VantrelGetOpenError has its reason
    quillon::testing::AddColumns<QStringList, QByteArray, int, bool>(
        {"arguments", "device", "timeOut", "refused"});

    QTest::newRow("missing device")
        << QStringList{} << QByteArray("/nonexistent/ttyQ9") << 300 << true;
    QTest::newRow("not a serial device") << QStringList{} << QByteArray("/dev/null") << 300 << true;
    QTest::newRow("silent adapter") << QStringList{"--no-reply"} << QByteArray() << 300 << false;
    QTest::newRow("adapter answers too late")
        << QStringList{"--late-reply", "600"} << QByteArray() << 300 << false;
    // Repeating V must not stretch the time-out, or this opening would never end.
    QTest::newRow("board still in its bootloader")
        << QStringList{"--boot-ms", "3000"} << QByteArray() << 300 << false;
    // Gone before its answer: a failed opening, not a close. The long time-out makes sure
    // it is the loss that is reported, not the time-out.
    QTest::newRow("device lost before the answer")
        << QStringList{"--hangup-after", "1"} << QByteArray() << 1500 << false;
}

void TestVantrel32::openFails() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, device);
    QFETCH(int, timeOut);
    QFETCH(bool, refused);
    QVERIFY(StartSim(arguments));
    if (!device.isEmpty()) {
        qputenv("VANTREL_COM1", device);
    }
    SetTimeOut(uint16_t(timeOut));
    CALL(Connect(1));
    QCOMPARE(CALL(ReadSlvAdr()), kPortClosed);
    QTRY_COMPARE(log_->codes, Codes{kTimeOut});
    // Why, and where to: a caller cut short still learns the whole length.
    std::array<char, 4> cut{};
    const uint32_t length = CALL(VantrelGetOpenError(cut.data(), uint32_t(cut.size())));
    QCOMPARE(length > 0, refused);
    QCOMPARE(qstrlen(cut.data()), std::min<uint32_t>(length, uint32_t(cut.size() - 1)));
    std::array<char, 256> path{};
    CALL(VantrelGetOpenPath(path.data(), uint32_t(path.size())));
    QCOMPARE(QByteArray(path.data()), device.isEmpty() ? sim_->Device().toLocal8Bit() : device);
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    QCOMPARE(CALL(ReadSlvAdr()), kPortClosed);
    // The port was left closed: a new opening is possible and fails the same way. It goes
    // to a simulator of its own: the number of a pseudo-terminal whose simulator hung up is
    // handed to the next one opened on the machine, perhaps another suite's, whose
    // answers this opening would then take.
    if (device.isEmpty()) {
        QVERIFY(StartSim(arguments));
    }
    CALL(Connect(1));
    QTRY_COMPARE(log_->codes, (Codes{kTimeOut, kTimeOut}));
}

void TestVantrel32::closeWhileOpening() {
    QVERIFY(StartSim({"--no-reply"}));
    SetTimeOut(150);
    CALL(Connect(1));
    CALL(Connect(0));
    QTRY_COMPARE(log_->codes, Codes{kClosed});
    // A second opening times out once; the aborted one must not add its own time-out.
    CALL(Connect(1));
    QTRY_COMPARE(log_->codes, (Codes{kClosed, kTimeOut}));
    CALL(Connect(0));
    QTRY_COMPARE(log_->codes, (Codes{kClosed, kTimeOut, kClosed}));
}

// Two boards known by their stable names: the first seen is COM1 and the second COM2, a
// number keeps its board from one opening to the next, the environment wins, and an
// unplugged board's number fails to open.
void TestVantrel32::comNumbersFollowBoards() {
    QTemporaryDir config;
    QTemporaryDir byId;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("QUILLON_SERIAL_BY_ID", QFile::encodeName(byId.path()));
    qunsetenv("VANTREL_COM1");
    qunsetenv("VANTREL_COM2");
    SimProcess boardA;
    SimProcess boardB;
    const auto errorA = boardA.Start({"--version", "Board A"});
    QVERIFY2(!errorA, qPrintable(errorA.value_or(QString())));
    const auto errorB = boardB.Start({"--version", "Board B"});
    QVERIFY2(!errorB, qPrintable(errorB.value_or(QString())));
    const QString linkA = byId.filePath("usb-Quillon_Board_A-if00-port0");
    QVERIFY(QFile::link(boardA.Device(), linkA));
    // A link left behind by a board that is gone is no port.
    QVERIFY(QFile::link(byId.filePath("gone"), byId.filePath("usb-Quillon_Board_-if00-port0")));

    const auto openAndClose = [&](int comPort) {
        SetComPort(comPort);
        const qsizetype before = log_->codes.size();
        CALL(Connect(1));
        const auto count = [&](qsizetype n) {
            return QTest::qWaitFor([&] { return log_->codes.size() >= before + n; }, 5000);
        };
        if (!count(2)) {
            return false;
        }
        CALL(Connect(0));
        return count(3) && log_->codes.mid(before) == Codes{kOpened, kVersion, kClosed};
    };
    QVERIFY(openAndClose(1));
    QVERIFY(QFile::link(boardB.Device(), byId.filePath("usb-Quillon_Board_0-if00-port0")));
    QVERIFY(openAndClose(2));
    QVERIFY(openAndClose(1));
    QVERIFY(QFile::exists(config.filePath("Quillon/Vantrel32.conf")));
    qputenv("VANTREL_COM1", boardB.Device().toLocal8Bit());
    QVERIFY(openAndClose(1));
    qunsetenv("VANTREL_COM1");
    QCOMPARE(log_->versions, (QList<QByteArray>{"Board A", "Board B", "Board A", "Board B"}));

    QVERIFY(QFile::remove(linkA));
    CALL(Connect(1));
    QTRY_COMPARE(log_->codes.size(), 13);
    QCOMPARE(log_->codes.last(), kTimeOut);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("QUILLON_SERIAL_BY_ID");
}

void TestVantrel32::closedLinkRefusesCommands_data() {
    quillon::testing::AddColumns<int>({"command"});
    QTest::newRow("WriteI2CRegs") << 0;
    QTest::newRow("ReadSlvAdr") << 1;
    QTest::newRow("ChangeSlvAdr") << 2;
    QTest::newRow("SaveSlvAdr") << 3;
    QTest::newRow("VantrelSetPacing") << 4;
    QTest::newRow("VantrelAskCounters") << 5;
}

namespace {
uint8_t IssueCommand(int command) {
    static const uint8_t port = 0xA5;
    switch (command) {
    case 0:
        return WriteI2CRegs(&port, 0, VANTREL_INT_NONE);
    case 1:
        return ReadSlvAdr();
    case 2:
        return ChangeSlvAdr(0x7E);
    case 3:
        return SaveSlvAdr();
    case 4:
        return VantrelSetPacing(VANTREL_PACING_HOLD);
    default:
        return VantrelAskCounters();
    }
}
} // namespace

void TestVantrel32::closedLinkRefusesCommands() {
    QFETCH(int, command);
    QCOMPARE(CALL(IssueCommand(command)), kPortClosed);
    QVERIFY(StartSim({}));
    Open();
    CALL(Connect(0));
    QCOMPARE(CALL(IssueCommand(command)), kPortClosed);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kClosed}));
}

void TestVantrel32::commandCompletes_data() {
    // arg: -1 where it is not looked at
    quillon::testing::AddColumns<int, QByteArray, int, uintptr_t, intptr_t, QStringList>(
        {"command", "data", "intType", "code", "arg", "events"});

    QTest::newRow("write, no interrupt")
        << 0 << QByteArray("\x5A") << int{VANTREL_INT_NONE} << kWritten << intptr_t(-1)
        << QStringList{"port FF -> 5A"};
    QTest::newRow("write, line 1")
        << 0 << QByteArray("\x00", 1) << int{VANTREL_INT_LINE1} << kWrittenInt1 << intptr_t(-1)
        << QStringList{"port FF -> 00", "INT1 pulse"};
    QTest::newRow("write, line 2")
        << 0 << QByteArray("\x81") << int{VANTREL_INT_LINE2} << kWrittenInt2 << intptr_t(-1)
        << QStringList{"port FF -> 81", "INT2 pulse"};
    QTest::newRow("write, 16 bytes: the port takes the last")
        << 0 << QByteArray("0123456789ABCDE\x7F") << int{VANTREL_INT_NONE} << kWritten
        << intptr_t(-1) << QStringList{"port FF -> 7F"};
    QTest::newRow("read address") << 1 << QByteArray() << 0 << kAddress << intptr_t(0x40)
                                  << QStringList{"address read 40"};
    QTest::newRow("change address")
        << 2 << QByteArray() << 0 << kChanged << intptr_t(-1) << QStringList{"address 40 -> 7E"};
    QTest::newRow("save address") << 3 << QByteArray() << 0 << kSaved << intptr_t(-1)
                                  << QStringList{"address saved 40"};
}

void TestVantrel32::commandCompletes() {
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(int, intType);
    QFETCH(uintptr_t, code);
    QFETCH(intptr_t, arg);
    QFETCH(QStringList, events);
    QVERIFY(StartSim({}));
    Open();

    uint8_t status = 0xFF;
    switch (command) {
    case 0: {
        // The library must copy the area during the call: it is gone right after.
        auto copy = std::make_unique<QByteArray>(data);
        status = CALL(WriteI2CRegs(reinterpret_cast<const uint8_t*>(copy->constData()),
                                   int32_t(copy->size() - 1), uint8_t(intType)));
        copy->fill('\xEE');
        copy.reset();
        break;
    }
    case 1:
        status = CALL(ReadSlvAdr());
        break;
    case 2:
        status = CALL(ChangeSlvAdr(0x7E));
        break;
    default:
        status = CALL(SaveSlvAdr());
        break;
    }
    QCOMPARE(status, kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, code}));
    if (arg >= 0) {
        QCOMPARE(log_->args.last(), arg);
    }
    // The address the change or save reply carried, which its notification does not.
    const uint8_t addressReply = CALL(VantrelGetAddressReply());
    if (command == 2) {
        QCOMPARE(addressReply, uint8_t{0x7E});
    } else if (command == 3) {
        QCOMPARE(addressReply, uint8_t{0x40});
    }
    for (const QString& event : events) {
        QTRY_COMPARE(sim_->CountEvents(event), 1);
    }
    // The link is free again.
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->Count(kAddress), command == 1 ? 2 : 1);
}

void TestVantrel32::invalidWriteIsNotSent_data() {
    quillon::testing::AddColumns<bool, int, int>({"nullData", "lastIndex", "intType"});

    QTest::newRow("null data") << true << 0 << 0;
    QTest::newRow("negative last index") << false << -1 << 0;
    QTest::newRow("17 bytes") << false << 16 << 0;
    QTest::newRow("huge last index") << false << 0x7FFFFFFF << 0;
    QTest::newRow("interrupt type 3") << false << 0 << 3;
    QTest::newRow("interrupt type 255") << false << 0 << 255;
}

void TestVantrel32::invalidWriteIsNotSent() {
    QFETCH(bool, nullData);
    QFETCH(int, lastIndex);
    QFETCH(int, intType);
    const uint8_t data[17] = {};
    const uint8_t* area = nullData ? nullptr : data;
    QCOMPARE(CALL(WriteI2CRegs(area, lastIndex, uint8_t(intType))), kInvalid);
    QVERIFY(StartSim({}));
    Open();
    QCOMPARE(CALL(WriteI2CRegs(area, lastIndex, uint8_t(intType))), kInvalid);
    // Nothing went out and nothing waits: the next command goes through at once.
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kAddress}));
    QVERIFY(!sim_->EventTexts().join('\n').contains("port"));
}

void TestVantrel32::busyWhileCommandInFlight() {
    QVERIFY(StartSim({"--late-reply", "300"}));
    Open();
    const uint8_t port = 0x3C;
    QCOMPARE(CALL(WriteI2CRegs(&port, 0, VANTREL_INT_LINE1)), kSent);
    QCOMPARE(CALL(WriteI2CRegs(&port, 0, VANTREL_INT_NONE)), kBusy);
    QCOMPARE(CALL(ReadSlvAdr()), kBusy);
    QCOMPARE(CALL(ChangeSlvAdr(0x42)), kBusy);
    QCOMPARE(CALL(SaveSlvAdr()), kBusy);
    QCOMPARE(CALL(VantrelSetPacing(VANTREL_PACING_ASK)), kBusy);
    QCOMPARE(CALL(VantrelAskCounters()), kBusy);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kWrittenInt1}));
    QCOMPARE(CALL(ChangeSlvAdr(0x42)), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kWrittenInt1, kChanged}));
    // The refused commands never reached the adapter.
    QCOMPARE(sim_->CountEvents("address 40 -> 42"), 1);
    QCOMPARE(sim_->CountEvents("port FF -> 3C"), 1);
}

void TestVantrel32::closeWhileCommandWaits() {
    QVERIFY(StartSim({"--late-reply", "300"}));
    Open();
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(sim_->CountEvents("address read 40"), 1); // on the line, reply pending
    CALL(Connect(0));
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    QCOMPARE(CALL(ReadSlvAdr()), kPortClosed);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kTimeOut, kClosed}));
    // Reopened at once, the old read's late reply meets the new link: it must not count.
    Open();
    QCOMPARE(CALL(SaveSlvAdr()), kSent);
    QTRY_COMPARE(log_->codes,
                 (Codes{kOpened, kVersion, kTimeOut, kClosed, kOpened, kVersion, kSaved}));
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->Count(kAddress), 1);
    QCOMPARE(log_->codes.size(), 8);
}

void TestVantrel32::timeOutFreesLinkAndDropsLateReply() {
    constexpr qint64 kLate = 300;
    QVERIFY(StartSim({"--late-reply", QString::number(kLate)}));
    Open();
    SetTimeOut(100);
    const uint8_t first = 0x11;
    QCOMPARE(CALL(WriteI2CRegs(&first, 0, VANTREL_INT_NONE)), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kTimeOut}));
    SetTimeOut(1500);
    // The same command again, before the first one's late 'w' comes back: that reply
    // carries the old SEQ and must not complete this one, whose own reply takes kLate.
    const qint64 sent = log_->clock.elapsed();
    const uint8_t second = 0x22;
    QCOMPARE(CALL(WriteI2CRegs(&second, 0, VANTREL_INT_NONE)), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kTimeOut, kWritten}));
    QVERIFY2(log_->times.last() - sent >= kLate - 5,
             qPrintable(QString("completed after %1 ms").arg(log_->times.last() - sent)));
    QCOMPARE(CALL(IsConnected()), uint8_t{1});
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kTimeOut, kWritten, kAddress}));
}

void TestVantrel32::garbageBeforeRepliesIsSurvived_data() {
    quillon::testing::AddColumns<int, int>({"garbage", "seed"});
    // Seeds whose garbage ends in a stray STX with a large LEN: only the line-idle rule
    // lets the reply behind it through.
    for (int garbage : {40, 120}) {
        for (int seed : {1, 2, 5}) {
            QTest::addRow("%d bytes, seed %d", garbage, seed) << garbage << seed;
        }
    }
}

void TestVantrel32::garbageBeforeRepliesIsSurvived() {
    QFETCH(int, garbage);
    QFETCH(int, seed);
    QVERIFY(StartSim({"--garbage", QString::number(garbage), "--seed", QString::number(seed)}));
    Open();
    Codes expected{kOpened, kVersion};
    for (int round = 0; round < 12; ++round) {
        const uint8_t port = uint8_t(round * 17);
        const uint8_t intType = uint8_t(round % 3);
        QCOMPARE(CALL(WriteI2CRegs(&port, 0, intType)), kSent);
        expected << kWritten + intType;
        QTRY_COMPARE(log_->codes, expected);
        QCOMPARE(CALL(ReadSlvAdr()), kSent);
        expected << kAddress;
        QTRY_COMPARE(log_->codes, expected);
        QCOMPARE(log_->args.last(), intptr_t(0x40));
    }
}

void TestVantrel32::hangupClosesOnce_data() {
    quillon::testing::AddColumns<QStringList, bool>({"arguments", "commandWaits"});

    QTest::newRow("while a command waits") << QStringList{"--hangup-after", "2"} << true;
    QTest::newRow("while idle, from the console") << QStringList{} << false;
}

void TestVantrel32::hangupClosesOnce() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, commandWaits);
    QVERIFY(StartSim(arguments));
    Open();
    Codes expected{kOpened, kVersion};
    if (commandWaits) {
        QCOMPARE(CALL(ReadSlvAdr()), kSent);
        expected << kTimeOut; // the waiting command's outcome comes before the close
    } else {
        sim_->Command("hangup");
    }
    expected << kClosed;
    QTRY_COMPARE(log_->codes, expected);
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    QCOMPARE(CALL(ReadSlvAdr()), kPortClosed);
    // Anything the hang-up still had in the pipeline lands before the next close.
    CALL(Connect(0));
    expected << kClosed;
    QTRY_COMPARE(log_->codes, expected);
}

void TestVantrel32::masterDataArrives_data() {
    quillon::testing::AddColumns<QString, QByteArray>({"command", "bytes"});

    QTest::newRow("one byte") << "write 5A" << QByteArray("\x5A");
    QTest::newRow("three bytes") << "write 5A 12 34" << QByteArray("\x5A\x12\x34");
    QTest::newRow("zero byte") << "write 00" << QByteArray("\x00", 1);
}

void TestVantrel32::masterDataArrives() {
    QFETCH(QString, command);
    QFETCH(QByteArray, bytes);
    QVERIFY(StartSim({}));
    Open();
    sim_->Command(command);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kMasterData}));
    NotificationLog::Record expected{};
    expected[0] = uint8_t(bytes.back());
    expected[1] = uint8_t(bytes.size());
    std::copy(bytes.begin(), bytes.end(), expected.begin() + 2);
    QCOMPARE(log_->records.size(), 1);
    QVERIFY(log_->records.first() == expected);
}

void TestVantrel32::quickMasterWritesAreNotMixed() {
    QVERIFY(StartSim({}));
    Open();
    constexpr int kWrites = 40;
    QVector<NotificationLog::Record> expected;
    for (int n = 0; n < kWrites; ++n) {
        // Varying lengths, so a record taken from the wrong write shows in every byte.
        const int length = 1 + n % 5;
        QString command = "write";
        NotificationLog::Record record{};
        for (int k = 0; k < length; ++k) {
            const uint8_t value = uint8_t(n * 5 + k + 1);
            command += QString::asprintf(" %02X", value);
            record[2 + k] = value;
        }
        record[0] = record[1 + length];
        record[1] = uint8_t(length);
        expected << record;
        sim_->Command(command);
    }
    // The UI thread delivers nothing while the writes pile up on the line.
    QTRY_COMPARE(log_->records.size(), kWrites);
    for (int n = 0; n < kWrites; ++n) {
        QVERIFY2(log_->records[n] == expected[n], qPrintable(QString("write %1").arg(n)));
    }
}

void TestVantrel32::extrasComplete_data() {
    // pacing: the request, or -1 to ask for the counters; arg: -1 where it is not looked at
    quillon::testing::AddColumns<QStringList, int, uintptr_t, intptr_t, QString, QList<uint32_t>>(
        {"busCommands", "pacing", "code", "arg", "event", "counters"});

    const QList<uint32_t> zeros(VANTREL_COUNTER_COUNT, 0);
    QTest::newRow("pacing hold") << QStringList{} << int{VANTREL_PACING_HOLD} << kPacing
                                 << intptr_t{VANTREL_PACING_HOLD} << "pacing hold" << zeros;
    QTest::newRow("pacing release")
        << QStringList{} << int{VANTREL_PACING_RELEASE} << kPacing
        << intptr_t{VANTREL_PACING_RELEASE} << "pacing release" << zeros;
    QTest::newRow("pacing asked: never told, it releases")
        << QStringList{} << int{VANTREL_PACING_ASK} << kPacing << intptr_t{VANTREL_PACING_RELEASE}
        << "pacing release" << zeros;
    // Different counts for each counter, so counters taken out of order show.
    QTest::newRow("counters") << QStringList{"write 5A", "write 01 02", "read",
                                             "probe",    "probe",       "write 7F"}
                              << -1 << kCounters << intptr_t(-1) << "counters sent"
                              << QList<uint32_t>{3, 1, 2, 0, 0};
}

void TestVantrel32::extrasComplete() {
    QFETCH(QStringList, busCommands);
    QFETCH(int, pacing);
    QFETCH(uintptr_t, code);
    QFETCH(intptr_t, arg);
    QFETCH(QString, event);
    QFETCH(QList<uint32_t>, counters);
    QVERIFY(StartSim({}));
    Open();
    for (const QString& command : busCommands) {
        sim_->Command(command);
    }
    // Master data notifications are not this test's business; they are counted, not kept.
    const int masterWrites = int(busCommands.filter("write").size());
    QTRY_COMPARE(log_->Count(kMasterData), masterWrites);
    QCOMPARE(CALL(VantrelSetPacing(0x02)), kInvalid);
    QCOMPARE(CALL(VantrelSetPacing(0x80)), kInvalid);
    const uint8_t status =
        pacing >= 0 ? CALL(VantrelSetPacing(uint8_t(pacing))) : CALL(VantrelAskCounters());
    QCOMPARE(status, kSent);
    QTRY_COMPARE(log_->codes.size(), 3 + masterWrites);
    QCOMPARE(log_->codes.last(), code);
    if (arg >= 0) {
        QCOMPARE(log_->args.last(), arg);
    }
    QTRY_COMPARE(sim_->CountEvents(event), 1);
    uint32_t fetched[VANTREL_COUNTER_COUNT] = {};
    CALL(VantrelGetCounters(fetched));
    QCOMPARE(QList<uint32_t>(std::begin(fetched), std::end(fetched)), counters);
    // The link is free again.
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->Count(kAddress), 1);
}

// An adapter newer than the library may send codes it does not know, and any adapter may
// send a reply nobody waits for: the library drops them and works on. The 'd' report is
// kept, and posts nothing.
void TestVantrel32::framesNotKnownOrNotAwaitedAreDropped() {
    QVERIFY(StartSim({"--late-reply", "500"}));
    Open();
    QCOMPARE(CALL(VantrelGetNotForwarded()), uint32_t{0});
    sim_->Command("frame 00 7A 01 02");                          // unsolicited, unknown code
    sim_->Command("frame 00 64 03 01 00 00");                    // not forwarded: 259 in all
    sim_->Command("frame 00 64 09");                             // too short for a count
    sim_->Command("frame 00 71 " + QString("00 ").repeated(20)); // counters nobody asked for
    sim_->Command("write 5A");
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kMasterData}));
    QCOMPARE(CALL(VantrelGetNotForwarded()), uint32_t{259});

    // While the pacing command waits, frames with every SEQ it could have: an unknown
    // code, a pacing reply with a value that is no setting, an address reply. Only the
    // adapter's own late reply completes the command.
    QCOMPARE(CALL(VantrelSetPacing(VANTREL_PACING_HOLD)), kSent);
    QStringList sweep;
    for (int seq = 1; seq <= 255; ++seq) {
        const QString hex = QString::asprintf("%02X", seq);
        sweep << "frame " + hex + " 7A"
              << "frame " + hex + " 70 05"
              << "frame " + hex + " 61 40";
    }
    sim_->Command(sweep.join('\n'));
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kMasterData, kPacing}));
    QCOMPARE(log_->args.last(), intptr_t{VANTREL_PACING_HOLD});
    QCOMPARE(sim_->CountEvents("pacing hold"), 1);
    // A new opening starts from nothing learned.
    CALL(Connect(0));
    QTRY_COMPARE(log_->Count(kClosed), 1);
    Open();
    QCOMPARE(CALL(VantrelGetNotForwarded()), uint32_t{0});
}

void TestVantrel32::repeatedCreateKeepsOneLink() {
    QVERIFY(StartSim({}));
    QCOMPARE(VantrelCreate(), message_);
    Open();
    VantrelDestroy(); // one of two: the link lives on
    QCOMPARE(CALL(IsConnected()), uint8_t{1});
    QCOMPARE(CALL(ReadSlvAdr()), kSent);
    QTRY_COMPARE(log_->codes, (Codes{kOpened, kVersion, kAddress}));

    // A write accepted just before the last VantrelDestroy still reaches the adapter (a
    // switch release as the window closes); its outcome is no longer posted.
    const uint8_t release = 0xFF;
    QCOMPARE(CALL(WriteI2CRegs(&release, 0, VANTREL_INT_NONE)), kSent);
    VantrelDestroy(); // the last: the link ends, the port closes silently
    QTRY_COMPARE(sim_->CountEvents("port FF -> FF"), 1);
    // Posted it was only if the adapter's 'w' beat VantrelDestroy, which a busy machine
    // may let happen; what was posted is delivered now, before the next instance opens.
    QCoreApplication::processEvents();
    const Codes ended = log_->codes;
    QVERIFY2(ended == (Codes{kOpened, kVersion, kAddress}) ||
                 ended == (Codes{kOpened, kVersion, kAddress, kWritten}),
             qPrintable(QString("%1 notifications").arg(ended.size())));
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    QCOMPARE(CALL(ReadSlvAdr()), kPortClosed);
    QCOMPARE(VantrelCreate(), message_);
    QCOMPARE(CALL(IsConnected()), uint8_t{0});
    Open();
    QCOMPARE(log_->codes, ended + (Codes{kOpened, kVersion}));
}

QTEST_GUILESS_MAIN(TestVantrel32)
#include "tst_vantrel32.moc"
