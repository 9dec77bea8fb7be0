#include "protocol/ProtocolCodec.h"
#include "sim/AdapterModel.h"
#include "tests/support/DataColumns.h"

#include <QtTest>

using quillon::protocol::ProtocolCodec;
using quillon::sim::AdapterModel;

namespace {

ProtocolCodec::Frame MakeFrame(uint8_t seq, uint8_t code, const QByteArray& payload) {
    ProtocolCodec::Frame frame;
    frame.seq = seq;
    frame.code = code;
    frame.length = static_cast<uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), frame.payload.begin());
    return frame;
}

// Decodes what the model wants to send; fails the test unless it is exactly one frame.
bool DecodeOne(const std::vector<uint8_t>& bytes, ProtocolCodec::Frame& frame) {
    ProtocolCodec codec;
    codec.Feed(bytes.data(), bytes.size());
    if (!codec.Next(frame)) {
        return false;
    }
    return !codec.HasPartial() && codec.Discarded() == 0;
}

QStringList Events(const AdapterModel::Outcome& outcome) {
    QStringList list;
    for (const auto& line : outcome.events) {
        list << QString::fromStdString(line);
    }
    return list;
}

QByteArray Payload(const ProtocolCodec::Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.begin()), frame.length);
}

} // namespace

class TestAdapterModel : public QObject {
    Q_OBJECT

private slots:
    void answersCommand_data();
    void answersCommand();
    void refusesMalformedFrame_data();
    void refusesMalformedFrame();
    void changedAddressIsReadBackAndSaved();
    void failedSaveIsNotConfirmed();
    void addressFromStorageLosesReadWriteBit();
    void masterWrite_data();
    void masterWrite();
    void masterWriteOutOfRangeIsRefused_data();
    void masterWriteOutOfRangeIsRefused();
    void countsTheBusMasterAndKeepsPacing();
    void versionTextValidity_data();
    void versionTextValidity();
};

void TestAdapterModel::answersCommand_data() {
    quillon::testing::AddColumns<int, int, QByteArray, int, QByteArray, QStringList, int>(
        {"seq", "code", "payload", "replyCode", "replyPayload", "events", "portAfter"});

    QTest::newRow("version") << 1 << int('V') << QByteArray() << int('v')
                             << QByteArray("Test Adapter 2.5") << QStringList{"version sent"}
                             << 0xFF;
    QTest::newRow("write, no interrupt") << 7 << int('W') << QByteArray("\x00\x5A", 2) << int('w')
                                         << QByteArray() << QStringList{"port FF -> 5A"} << 0x5A;
    QTest::newRow("write, interrupt 1")
        << 8 << int('W') << QByteArray("\x01\xBF", 2) << int('x') << QByteArray()
        << QStringList{"port FF -> BF", "INT1 pulse"} << 0xBF;
    QTest::newRow("write, interrupt 2")
        << 9 << int('W') << QByteArray("\x02\x00", 2) << int('y') << QByteArray()
        << QStringList{"port FF -> 00", "INT2 pulse"} << 0x00;
    QTest::newRow("write of the same value still reported")
        << 10 << int('W') << QByteArray("\x00\xFF", 2) << int('w') << QByteArray()
        << QStringList{"port FF -> FF"} << 0xFF;
    QTest::newRow("write of 16 bytes: the port takes the last")
        << 11 << int('W') << (QByteArray(1, '\x00') + QByteArray(15, '\x11') + '\x3C') << int('w')
        << QByteArray() << QStringList{"port FF -> 3C"} << 0x3C;
    QTest::newRow("read address") << 255 << int('A') << QByteArray() << int('a')
                                  << QByteArray("\x40") << QStringList{"address read 40"} << 0xFF;
    QTest::newRow("change address")
        << 3 << int('C') << QByteArray("\x7E") << int('c') << QByteArray("\x7E")
        << QStringList{"address 40 -> 7E"} << 0xFF;
    QTest::newRow("change address clears bit 0")
        << 4 << int('C') << QByteArray("\x71") << int('c') << QByteArray("\x70")
        << QStringList{"address 40 -> 70"} << 0xFF;
    QTest::newRow("change to the highest unreserved")
        << 5 << int('C') << QByteArray("\xEF") << int('c') << QByteArray("\xEE")
        << QStringList{"address 40 -> EE"} << 0xFF;
    QTest::newRow("change to the lowest unreserved")
        << 5 << int('C') << QByteArray("\x10") << int('c') << QByteArray("\x10")
        << QStringList{"address 40 -> 10"} << 0xFF;
    QTest::newRow("reserved: general call refused")
        << 5 << int('C') << QByteArray(1, '\x00') << int('c') << QByteArray("\x40")
        << QStringList{"address 40 kept (00 is reserved)"} << 0xFF;
    QTest::newRow("reserved: low block, bit 0 set")
        << 5 << int('C') << QByteArray("\x0F") << int('c') << QByteArray("\x40")
        << QStringList{"address 40 kept (0E is reserved)"} << 0xFF;
    QTest::newRow("reserved: 10-bit block")
        << 5 << int('C') << QByteArray("\xF0") << int('c') << QByteArray("\x40")
        << QStringList{"address 40 kept (F0 is reserved)"} << 0xFF;
    QTest::newRow("reserved: FF") << 5 << int('C') << QByteArray("\xFF") << int('c')
                                  << QByteArray("\x40")
                                  << QStringList{"address 40 kept (FE is reserved)"} << 0xFF;
    QTest::newRow("save address") << 6 << int('S') << QByteArray() << int('s') << QByteArray("\x40")
                                  << QStringList{"address saved 40"} << 0xFF;
    QTest::newRow("pacing hold") << 12 << int('P') << QByteArray("\x01") << int('p')
                                 << QByteArray("\x01") << QStringList{"pacing hold"} << 0xFF;
    QTest::newRow("pacing asked: release until told")
        << 13 << int('P') << QByteArray("\xFF") << int('p') << QByteArray(1, '\x00')
        << QStringList{"pacing release"} << 0xFF;
    QTest::newRow("counters before any bus traffic")
        << 14 << int('Q') << QByteArray() << int('q') << QByteArray(20, '\x00')
        << QStringList{"counters sent"} << 0xFF;
}

void TestAdapterModel::answersCommand() {
    QFETCH(int, seq);
    QFETCH(int, code);
    QFETCH(QByteArray, payload);
    QFETCH(int, replyCode);
    QFETCH(QByteArray, replyPayload);
    QFETCH(QStringList, events);
    QFETCH(int, portAfter);

    std::vector<uint8_t> saved;
    AdapterModel model("Test Adapter 2.5", 0x40, [&](uint8_t address) {
        saved.push_back(address);
        return std::optional<std::string>();
    });
    const auto outcome = model.Handle(MakeFrame(uint8_t(seq), uint8_t(code), payload));

    ProtocolCodec::Frame reply;
    QVERIFY(DecodeOne(outcome.frame, reply));
    QCOMPARE(int(reply.seq), seq);
    QCOMPARE(int(reply.code), replyCode);
    QCOMPARE(Payload(reply), replyPayload);
    QCOMPARE(Events(outcome), events);
    QCOMPARE(int(model.Port()), portAfter);
    QCOMPARE(outcome.portWritten.has_value(), code == 'W');
    QCOMPARE(saved.size(), std::size_t(code == 'S' ? 1 : 0));
}

void TestAdapterModel::refusesMalformedFrame_data() {
    quillon::testing::AddColumns<int, int, QByteArray>({"seq", "code", "payload"});

    QTest::newRow("unknown code") << 1 << int('Z') << QByteArray();
    QTest::newRow("a reply code sent as command") << 1 << int('v') << QByteArray();
    QTest::newRow("unsolicited code sent as command") << 1 << int('i') << QByteArray("\x12");
    QTest::newRow("code 0") << 1 << 0 << QByteArray();
    QTest::newRow("write, interrupt type 3") << 1 << int('W') << QByteArray("\x03\x12");
    QTest::newRow("write, interrupt type 255") << 1 << int('W') << QByteArray("\xFF\x12");
    QTest::newRow("write without data") << 1 << int('W') << QByteArray(1, '\x00');
    QTest::newRow("write without payload") << 1 << int('W') << QByteArray();
    QTest::newRow("write of 17 data bytes")
        << 1 << int('W') << (QByteArray(1, '\x00') + QByteArray(17, '\x55'));
    QTest::newRow("version with payload") << 1 << int('V') << QByteArray("x");
    QTest::newRow("read address with payload") << 1 << int('A') << QByteArray("\x40");
    QTest::newRow("change without address") << 1 << int('C') << QByteArray();
    QTest::newRow("change with two bytes") << 1 << int('C') << QByteArray("\x70\x72");
    QTest::newRow("save with payload") << 1 << int('S') << QByteArray("\x40");
    QTest::newRow("command with SEQ 0") << 0 << int('V') << QByteArray();
    QTest::newRow("pacing value 2") << 1 << int('P') << QByteArray("\x02");
    QTest::newRow("pacing without payload") << 1 << int('P') << QByteArray();
    QTest::newRow("counters with payload") << 1 << int('Q') << QByteArray(1, '\x00');
}

void TestAdapterModel::refusesMalformedFrame() {
    QFETCH(int, seq);
    QFETCH(int, code);
    QFETCH(QByteArray, payload);

    bool saveCalled = false;
    AdapterModel model("V", 0x40, [&](uint8_t) {
        saveCalled = true;
        return std::optional<std::string>();
    });
    const auto outcome = model.Handle(MakeFrame(uint8_t(seq), uint8_t(code), payload));

    QVERIFY(outcome.frame.empty());
    QCOMPARE(outcome.events.size(), std::size_t(1));
    QVERIFY2(outcome.events.front().rfind("error ", 0) == 0, outcome.events.front().c_str());
    QVERIFY(!outcome.portWritten);
    QCOMPARE(int(model.Port()), 0xFF);
    QCOMPARE(int(model.Address()), 0x40);
    QVERIFY(!saveCalled);
}

void TestAdapterModel::changedAddressIsReadBackAndSaved() {
    std::vector<uint8_t> saved;
    AdapterModel model("V", 0x40, [&](uint8_t address) {
        saved.push_back(address);
        return std::optional<std::string>();
    });
    model.Handle(MakeFrame(1, 'C', QByteArray("\x4B")));

    ProtocolCodec::Frame reply;
    QVERIFY(DecodeOne(model.Handle(MakeFrame(2, 'A', {})).frame, reply));
    QCOMPARE(Payload(reply), QByteArray("\x4A"));
    QVERIFY(DecodeOne(model.Handle(MakeFrame(3, 'S', {})).frame, reply));
    QCOMPARE(Payload(reply), QByteArray("\x4A"));
    QCOMPARE(saved, std::vector<uint8_t>{0x4A});
}

void TestAdapterModel::failedSaveIsNotConfirmed() {
    AdapterModel model("V", 0x40, [](uint8_t) { return std::optional<std::string>("disk full"); });
    model.Handle(MakeFrame(1, 'C', QByteArray("\x7E")));
    const auto outcome = model.Handle(MakeFrame(2, 'S', {}));

    QVERIFY(outcome.frame.empty());
    QCOMPARE(outcome.events.size(), std::size_t(1));
    QVERIFY(outcome.events.front().rfind("error ", 0) == 0);
    QVERIFY(outcome.events.front().find("disk full") != std::string::npos);
    // The address stays in use for this run even though it could not be stored.
    QCOMPARE(int(model.Address()), 0x7E);
}

void TestAdapterModel::addressFromStorageLosesReadWriteBit() {
    AdapterModel model("V", 0x73);
    QCOMPARE(int(model.Address()), 0x72);
}

void TestAdapterModel::masterWrite_data() {
    quillon::testing::AddColumns<QByteArray, QString>({"bytes", "event"});

    QTest::newRow("one byte") << QByteArray("\x5A") << "master wrote 5A";
    QTest::newRow("three bytes") << QByteArray("\x5A\x12\x34") << "master wrote 5A 12 34";
    QTest::newRow("contains STX and zero") << QByteArray("\x02\x00", 2) << "master wrote 02 00";
    QTest::newRow("127 bytes") << QByteArray(127, '\x80')
                               << "master wrote " +
                                      QStringList(QList<QString>(127, "80")).join(' ');
}

void TestAdapterModel::masterWrite() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, event);

    AdapterModel model("V", 0x40);
    const std::vector<uint8_t> data(bytes.begin(), bytes.end());
    const auto outcome = model.MasterWrite(data);

    ProtocolCodec::Frame frame;
    QVERIFY(DecodeOne(outcome.frame, frame));
    QCOMPARE(int(frame.seq), 0);
    QCOMPARE(int(frame.code), int('i'));
    QCOMPARE(Payload(frame), bytes);
    QCOMPARE(Events(outcome), QStringList{event});
    QCOMPARE(int(model.Port()), int(uint8_t(bytes.back())));
    QCOMPARE(Events(model.MasterRead()), QStringList{"master read " + event.right(2)});
}

void TestAdapterModel::masterWriteOutOfRangeIsRefused_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("none") << 0;
    QTest::newRow("128 bytes") << 128;
}

void TestAdapterModel::masterWriteOutOfRangeIsRefused() {
    QFETCH(int, count);
    AdapterModel model("V", 0x40);
    const auto outcome = model.MasterWrite(std::vector<uint8_t>(std::size_t(count), 0x11));
    QVERIFY(outcome.frame.empty());
    QCOMPARE(outcome.events.size(), std::size_t(1));
    QVERIFY(outcome.events.front().rfind("error ", 0) == 0);
    QCOMPARE(int(model.Port()), 0xFF);
}

// Each kind of master transaction counts in its own counter, least significant byte first;
// a refused write counts nowhere. The pacing set stays until changed, asking changes nothing.
void TestAdapterModel::countsTheBusMasterAndKeepsPacing() {
    AdapterModel model("V", 0x40);
    for (int i = 0; i < 300; ++i) {
        model.MasterWrite({uint8_t(i)});
    }
    model.MasterWrite({});
    model.MasterRead();
    model.MasterRead();
    QCOMPARE(Events(model.MasterProbe()), QStringList{"master probe"});

    ProtocolCodec::Frame reply;
    QVERIFY(DecodeOne(model.Handle(MakeFrame(1, 'Q', {})).frame, reply));
    QCOMPARE(Payload(reply), QByteArray("\x2C\x01\x00\x00"
                                        "\x02\x00\x00\x00"
                                        "\x01\x00\x00\x00"
                                        "\x00\x00\x00\x00"
                                        "\x00\x00\x00\x00",
                                        20));

    model.Handle(MakeFrame(2, 'P', QByteArray("\x01")));
    QVERIFY(DecodeOne(model.Handle(MakeFrame(3, 'P', QByteArray("\xFF"))).frame, reply));
    QCOMPARE(Payload(reply), QByteArray("\x01"));
    QVERIFY(model.PacingSetting() == quillon::protocol::Pacing::Hold);
    model.Handle(MakeFrame(4, 'P', QByteArray(1, '\x00')));
    QVERIFY(model.PacingSetting() == quillon::protocol::Pacing::Release);
}

void TestAdapterModel::versionTextValidity_data() {
    quillon::testing::AddColumns<QByteArray, bool>({"text", "valid"});
    QTest::newRow("default") << QByteArray("Quillon Adapter V1.0 (simulator)") << true;
    QTest::newRow("one character") << QByteArray("X") << true;
    QTest::newRow("64 characters") << QByteArray(64, 'a') << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("65 characters") << QByteArray(65, 'a') << false;
    QTest::newRow("control character") << QByteArray("V1\t0") << false;
    QTest::newRow("non-ASCII") << QByteArray("V\xC3\xA9") << false;
}

void TestAdapterModel::versionTextValidity() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QCOMPARE(AdapterModel::IsValidVersion(text.toStdString()), valid);
}

QTEST_APPLESS_MAIN(TestAdapterModel)
#include "tst_adaptermodel.moc"
