// The firmware's portable core against the simulator's adapter model and the host's frame
// codec: the same answers byte for byte, the same frames found in any input, and master
// data that is never dropped however far the serial line is behind.
#include "CoreRig.h"
#include "firmware/core/FrameReceiver.h"
#include "protocol/FrameFormat.h"
#include "protocol/ProtocolCodec.h"
#include "sim/AdapterModel.h"
#include "tests/support/DataColumns.h"
#include "tests/support/FrameBytes.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <map>
#include <vector>

using framebytes::Bytes;
using framebytes::Concat;
using framebytes::Frame;
using quillon::firmware::FrameReceiver;
using quillon::firmware::Pacing;
using quillon::protocol::LineFormat;
using quillon::protocol::ProtocolCodec;
using quillon::sim::AdapterModel;

namespace {

struct Command {
    uint8_t seq;
    uint8_t code;
    Bytes payload;
};
using Commands = std::vector<Command>;

enum class Save { Works, Fails };

// How soon the good frame behind the garbage is answered.
enum class Answer { AtOnce, AfterIdle };

ProtocolCodec::Frame ToFrame(const Command& command) {
    ProtocolCodec::Frame frame;
    frame.seq = command.seq;
    frame.code = command.code;
    frame.length = static_cast<uint8_t>(command.payload.size());
    std::copy(command.payload.begin(), command.payload.end(), frame.payload.begin());
    return frame;
}

std::vector<ProtocolCodec::Frame> Decode(const Bytes& bytes, std::size_t& leftOver) {
    ProtocolCodec codec;
    codec.Feed(bytes.data(), bytes.size());
    std::vector<ProtocolCodec::Frame> frames;
    ProtocolCodec::Frame frame;
    while (codec.Next(frame)) {
        frames.push_back(frame);
    }
    leftOver = codec.Discarded() + codec.Buffered();
    return frames;
}

// What the simulator sends for a stream: its codec, its idle rule, its model.
class ReferenceAdapter {
public:
    ReferenceAdapter()
        : model_(CoreRig::kVersion, CoreRig::kDefaultAddress,
                 [](uint8_t) { return std::optional<std::string>(); }) {}

    void Feed(const Bytes& bytes) {
        codec_.Feed(bytes.data(), bytes.size());
        Take();
    }
    void Idle() {
        while (codec_.HasPartial()) {
            codec_.LineIdle();
            Take();
        }
    }
    Bytes sent;

private:
    void Take() {
        ProtocolCodec::Frame frame;
        while (codec_.Next(frame)) {
            const auto outcome = model_.Handle(frame);
            sent.insert(sent.end(), outcome.frame.begin(), outcome.frame.end());
        }
    }
    ProtocolCodec codec_;
    AdapterModel model_;
};

// The index-th 32-bit counter of a payload, least significant byte first.
uint32_t CounterAt(const uint8_t* payload, int index) {
    uint32_t value = 0;
    for (int byte = 3; byte >= 0; --byte) {
        value = (value << 8) | payload[index * 4 + byte];
    }
    return value;
}

// A master write's bytes, different for every write and every position in it.
Bytes WriteBytes(int write, int length) {
    Bytes bytes(length);
    for (int i = 0; i < length; ++i) {
        bytes[i] = static_cast<uint8_t>(write * 31 + i * 7 + 1);
    }
    return bytes;
}

// "i3.1": the second frame of write 3; "d6": a not-forwarded report of 6.
QStringList Frames(int fromWrite, int toWrite) {
    QStringList frames;
    for (int write = fromWrite; write <= toWrite; ++write) {
        frames << QString("i%1.0").arg(write);
    }
    return frames;
}

} // namespace

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Commands)
Q_DECLARE_METATYPE(Save)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Pacing)

class TestFirmwareCore : public QObject {
    Q_OBJECT

private slots:
    void answersAsTheSimulator_data();
    void answersAsTheSimulator();
    void garbageIsNeverAnswered_data();
    void garbageIsNeverAnswered();
    void findsTheFramesTheCodecFinds();
    void masterWriteGoesOutInFrames_data();
    void masterWriteGoesOutInFrames();
    void masterWritesWaitForTheLineAndCommandsGoFirst();
    void fullQueueRefusesWholeFrames();
    void behindTheLine_data();
    void behindTheLine();
    void pacingCommand_data();
    void pacingCommand();
};

void TestFirmwareCore::answersAsTheSimulator_data() {
    quillon::testing::AddColumns<Commands, Save>({"commands", "save"});

    const Bytes sixteen = Concat({{0x00}, Bytes(15, 0x11), {0x3C}});
    QTest::newRow("version") << Commands{{1, 'V', {}}} << Save::Works;
    QTest::newRow("write with each interrupt type")
        << Commands{{7, 'W', {0, 0x5A}}, {8, 'W', {1, 0xBF}}, {9, 'W', {2, 0x00}}} << Save::Works;
    QTest::newRow("write of the same value") << Commands{{10, 'W', {0, 0xFF}}} << Save::Works;
    QTest::newRow("write of 16 bytes: the port takes the last")
        << Commands{{11, 'W', sixteen}} << Save::Works;
    QTest::newRow("address read, changed, read back, saved")
        << Commands{{255, 'A', {}}, {3, 'C', {0x71}}, {4, 'A', {}}, {5, 'S', {}}} << Save::Works;
    QTest::newRow("change to any byte, bit 0 cleared")
        << Commands{{1, 'C', {0xFF}}, {2, 'C', {0x00}}, {3, 'A', {}}} << Save::Works;
    QTest::newRow("save that fails is not confirmed")
        << Commands{{1, 'C', {0x7E}}, {2, 'S', {}}, {3, 'A', {}}} << Save::Fails;
    QTest::newRow("not answered: SEQ 0")
        << Commands{{0, 'V', {}}, {0, 'W', {1, 0x12}}, {0, 'C', {0x70}}, {1, 'A', {}}}
        << Save::Works;
    QTest::newRow("not answered: unknown, reply and zero codes")
        << Commands{{1, 'Z', {}}, {2, 'v', {}}, {3, 'i', {0x12}}, {4, 0, {}}} << Save::Works;
    QTest::newRow("not answered: write payloads")
        << Commands{{1, 'W', {3, 0x12}},
                    {2, 'W', {0xFF, 0x12}},
                    {3, 'W', {0x00}},
                    {4, 'W', {}},
                    {5, 'W', Concat({{0x00}, Bytes(17, 0x55)})}}
        << Save::Works;
    QTest::newRow("not answered: payload where none belongs, missing or extra")
        << Commands{{1, 'V', {'x'}},        {2, 'A', {0x40}}, {3, 'C', {}},
                    {4, 'C', {0x70, 0x72}}, {5, 'S', {0x40}}, {6, 'A', {}}}
        << Save::Works;
}

void TestFirmwareCore::answersAsTheSimulator() {
    QFETCH(Commands, commands);
    QFETCH(Save, save);

    CoreRig rig;
    rig.saveSucceeds = save == Save::Works;
    AdapterModel model(CoreRig::kVersion, CoreRig::kDefaultAddress, [&](uint8_t) {
        return save == Save::Works ? std::optional<std::string>()
                                   : std::optional<std::string>("refused by the test");
    });
    std::vector<uint8_t> ports;
    std::vector<int> pulses;
    for (const Command& command : commands) {
        rig.Feed(Frame(command.seq, command.code, command.payload));
        const AdapterModel::Outcome expected = model.Handle(ToFrame(command));
        QVERIFY2(rig.TakeSent() == expected.frame, qPrintable(QString::number(command.seq)));
        if (expected.portWritten) {
            ports.push_back(*expected.portWritten);
        }
        for (const int line : {1, 2}) {
            const std::string pulse = "INT" + std::to_string(line) + " pulse";
            if (std::count(expected.events.begin(), expected.events.end(), pulse) > 0) {
                pulses.push_back(line);
            }
        }
    }
    QCOMPARE(rig.ports, ports);
    QCOMPARE(rig.pulses, pulses);
    // Port and pulse first, the reply behind them: nothing queued yet at the pulse.
    for (const uint8_t room : rig.roomAtPulse) {
        QCOMPARE(room, quillon::firmware::TxQueue::kCapacity);
    }
    QCOMPARE(rig.loop.Address(), model.Address());
}

void TestFirmwareCore::garbageIsNeverAnswered_data() {
    quillon::testing::AddColumns<Bytes, unsigned, Bytes, Answer>(
        {"before", "pauseMs", "after", "answer"});

    const Bytes write = Frame(9, 'W', {0, 0x12});
    Bytes badCrc = Frame(9, 'A');
    badCrc.back() ^= 0x01;
    // Its length byte, 2, is a start byte too: the search goes on from there.
    Bytes badCrcStxInside = write;
    badCrcStxInside.back() ^= 0x01;
    const Bytes truncated(write.begin(), write.end() - 1);
    const unsigned idle = LineFormat::kLineIdleMs;

    QTest::newRow("noise without a start byte")
        << Bytes{0x00, 0xFF, 0x55, 0xAA, 0x56} << 0u << Bytes{} << Answer::AtOnce;
    QTest::newRow("bad CRC") << badCrc << 0u << Bytes{} << Answer::AtOnce;
    QTest::newRow("bad CRC, start byte inside")
        << badCrcStxInside << 0u << Bytes{} << Answer::AfterIdle;
    QTest::newRow("length above 127")
        << Bytes{0x02, 0x80, 0x01, 0x56} << 0u << Bytes{} << Answer::AtOnce;
    QTest::newRow("length 255") << Bytes{0x02, 0xFF, 0x02, 0xFF} << 0u << Bytes{} << Answer::AtOnce;
    // Its 5 payload bytes and CRC are the good frame and one more byte.
    QTest::newRow("good frame inside a broken one")
        << Bytes{0x02, 0x05, 0x01, 0x57} << 0u << Bytes{0x00} << Answer::AtOnce;
    QTest::newRow("valid frame of an unknown code")
        << Frame(1, 'Z') << 0u << Bytes{} << Answer::AtOnce;
    QTest::newRow("unsolicited frame sent back")
        << Frame(0, 'i', {0x12}) << 0u << Bytes{} << Answer::AtOnce;
    QTest::newRow("lone start byte") << Bytes{0x02} << 0u << Bytes{} << Answer::AfterIdle;
    QTest::newRow("stray start byte with a large length")
        << Bytes{0x02, 0x7F, 0x01, 0x56} << 0u << Bytes{} << Answer::AfterIdle;
    QTest::newRow("truncated frame, then the line idle")
        << truncated << idle + 1 << Bytes{} << Answer::AtOnce;
    QTest::newRow("truncated frame, next frame just in time")
        << truncated << idle << Bytes{} << Answer::AfterIdle;
    QTest::newRow("300 start bytes")
        << Bytes(300, ProtocolCodec::kStx) << 0u << Bytes{} << Answer::AfterIdle;
}

void TestFirmwareCore::garbageIsNeverAnswered() {
    QFETCH(Bytes, before);
    QFETCH(unsigned, pauseMs);
    QFETCH(Bytes, after);
    QFETCH(Answer, answer);

    const Bytes command = Frame(42, 'A');
    const Bytes reply = Frame(42, 'a', {CoreRig::kDefaultAddress});
    CoreRig rig;
    rig.Feed(before);
    rig.Advance(pauseMs);
    QVERIFY(rig.TakeSent().empty());
    rig.Feed(Concat({command, after}));
    if (answer == Answer::AfterIdle) {
        // The idle rule needs more than 20 ms of silence.
        rig.Advance(LineFormat::kLineIdleMs);
        QVERIFY(rig.TakeSent().empty());
        rig.Advance(1);
    }
    QCOMPARE(rig.TakeSent(), reply);
    // Nothing is left over to hold up the next command.
    rig.Feed(command);
    QCOMPARE(rig.TakeSent(), reply);
}

void TestFirmwareCore::findsTheFramesTheCodecFinds() {
    // Seeded streams of commands, damaged commands, noise and pauses, through the firmware
    // and through the simulator's codec and model: the same bytes must come back.
    QRandomGenerator random(20240613);
    const Bytes codes = {'V', 'W', 'A', 'C', 'S', 'Z'};
    for (int stream = 0; stream < 300; ++stream) {
        CoreRig rig;
        ReferenceAdapter reference;
        for (int piece = 0; piece < 12; ++piece) {
            const auto seq = static_cast<uint8_t>(random.bounded(256));
            const uint8_t code = codes[random.bounded(static_cast<int>(codes.size()))];
            Bytes payload(random.bounded(4));
            for (uint8_t& byte : payload) {
                byte = static_cast<uint8_t>(random.bounded(4));
            }
            Bytes bytes = Frame(seq, code, payload);
            switch (random.bounded(5)) {
            case 0: // one byte changed
                bytes[random.bounded(static_cast<int>(bytes.size()))] ^=
                    static_cast<uint8_t>(1 + random.bounded(255));
                break;
            case 1: // cut short
                bytes.resize(random.bounded(static_cast<int>(bytes.size())));
                break;
            case 2: // noise, rich in start bytes and plausible lengths
                bytes.resize(random.bounded(1, 40));
                for (uint8_t& byte : bytes) {
                    byte = static_cast<uint8_t>(random.bounded(2) ? random.bounded(8)
                                                                  : random.bounded(256));
                }
                break;
            default:
                break;
            }
            rig.Feed(bytes);
            reference.Feed(bytes);
            // Pauses well clear of the 20 ms boundary, where the two clocks differ by
            // design (whole milliseconds here).
            if (random.bounded(3) == 0) {
                const unsigned pause =
                    random.bounded(2) ? random.bounded(1u, 15u) : random.bounded(25u, 40u);
                rig.Advance(pause);
                if (pause > LineFormat::kLineIdleMs) {
                    reference.Idle();
                }
            }
        }
        rig.Advance(LineFormat::kLineIdleMs + 1);
        reference.Idle();
        QVERIFY2(rig.TakeSent() == reference.sent, qPrintable(QString::number(stream)));
        QVERIFY(rig.loop.WantsByte());
    }
}

void TestFirmwareCore::masterWriteGoesOutInFrames_data() {
    quillon::testing::AddColumns<int, QList<int>>({"length", "frames"});

    QTest::newRow("1 byte") << 1 << QList<int>{1};
    QTest::newRow("126 bytes") << 126 << QList<int>{126};
    QTest::newRow("127 bytes: one full frame") << 127 << QList<int>{127};
    QTest::newRow("128 bytes") << 128 << QList<int>{127, 1};
    QTest::newRow("254 bytes") << 254 << QList<int>{127, 127};
    QTest::newRow("300 bytes") << 300 << QList<int>{127, 127, 46};
    QTest::newRow("400 bytes") << 400 << QList<int>{127, 127, 127, 19};
    QTest::newRow("no data: no frame") << 0 << QList<int>{};
}

void TestFirmwareCore::masterWriteGoesOutInFrames() {
    QFETCH(int, length);
    QFETCH(QList<int>, frames);

    Bytes written(length);
    for (int i = 0; i < length; ++i) {
        written[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    CoreRig rig;
    rig.UsePacing(Pacing::Hold);
    // At line speed, so the later frames have to wait for room.
    rig.lineBytesPerMs = 1;
    rig.MasterWrite(written);
    rig.Advance(2000);

    std::size_t leftOver = 0;
    const auto decoded = Decode(rig.TakeSent(), leftOver);
    QCOMPARE(leftOver, std::size_t(0));
    QCOMPARE(int(decoded.size()), int(frames.size()));
    Bytes carried;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        QCOMPARE(int(decoded[i].seq), 0);
        QCOMPARE(int(decoded[i].code), int('i'));
        QCOMPARE(int(decoded[i].length), frames[int(i)]);
        carried.insert(carried.end(), decoded[i].begin(), decoded[i].end());
    }
    QCOMPARE(carried, written);
    // One frame in the queue, one waiting, one collected beside it: a fourth found no
    // buffer, and the master was held, not dropped.
    QCOMPARE(rig.heldMs > 0, length > 3 * 127);
}

void TestFirmwareCore::masterWritesWaitForTheLineAndCommandsGoFirst() {
    // 1000 one-byte master writes as fast as the bus allows, the serial line at 9600 baud
    // (about one byte a millisecond), and commands arriving meanwhile; Hold pacing.
    CoreRig rig;
    rig.UsePacing(Pacing::Hold);
    rig.lineBytesPerMs = 1;
    std::vector<std::size_t> sentAtCommand;
    for (int i = 0; i < 1000; ++i) {
        rig.MasterWrite({static_cast<uint8_t>(i)});
        if (i % 250 == 100) {
            sentAtCommand.push_back(rig.SentCount());
            rig.Feed(Frame(static_cast<uint8_t>(1 + i / 250), 'V'));
        }
    }
    rig.Advance(10000);

    std::size_t leftOver = 0;
    const auto decoded = Decode(rig.TakeSent(), leftOver);
    QCOMPARE(leftOver, std::size_t(0));
    int masterFrames = 0;
    int replies = 0;
    std::size_t end = 0;
    for (const auto& frame : decoded) {
        const std::size_t size = ProtocolCodec::kHeaderSize + frame.length + 1;
        end += size;
        if (frame.code == 'v') {
            // Behind what was queued when it came, not behind the master's later writes.
            QVERIFY(end - sentAtCommand[replies] <= quillon::firmware::TxQueue::kCapacity + size);
            ++replies;
            QCOMPARE(int(frame.seq), replies);
            continue;
        }
        QCOMPARE(int(frame.code), int('i'));
        QCOMPARE(int(frame.length), 1);
        QCOMPARE(int(frame.payload[0]), masterFrames % 256);
        ++masterFrames;
    }
    QCOMPARE(masterFrames, 1000);
    QCOMPARE(replies, 4);
    // Six bytes a frame at one byte a millisecond: the master was slowed to the line.
    QVERIFY(rig.heldMs >= 5000);
}

void TestFirmwareCore::fullQueueRefusesWholeFrames() {
    quillon::firmware::TxQueue queue;
    const Bytes payload(100, 0x5A);
    QVERIFY(queue.PutFrame(1, 'i', payload.data(), 100));
    QVERIFY(queue.PutFrame(2, 'i', payload.data(), 100));
    const uint8_t room = queue.Room();
    QCOMPARE(int(room), quillon::firmware::TxQueue::kCapacity - 2 * 105);
    // Too big for what is left: refused, and nothing of it queued.
    QVERIFY(!queue.PutFrame(3, 'i', payload.data(), static_cast<uint8_t>(room - 4)));
    QCOMPARE(queue.Room(), room);
    QVERIFY(!queue.PutFrame(3, 'i', payload.data(), 128));
    QVERIFY(queue.PutFrame(3, 'i', payload.data(), static_cast<uint8_t>(room - 5)));
    QCOMPARE(int(queue.Room()), 0);

    Bytes sent;
    uint8_t byte;
    for (int i = 0; i < 100 && queue.Take(byte); ++i) {
        sent.push_back(byte);
    }
    QVERIFY(queue.PutFrame(4, 'i', payload.data(), 95));
    while (queue.Take(byte)) {
        sent.push_back(byte);
    }
    std::size_t leftOver = 0;
    const auto decoded = Decode(sent, leftOver);
    QCOMPARE(leftOver, std::size_t(0));
    QCOMPARE(int(decoded.size()), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(int(decoded[i].seq), i + 1);
    }
}

void TestFirmwareCore::behindTheLine_data() {
    // Master writes back to back, far faster than the line (one byte a millisecond) carries
    // their frames; a length of -1 lets the line catch up. The transmit queue takes 42
    // one-byte frames, one more waits in a buffer and one is collected in the other.
    quillon::testing::AddColumns<Pacing, QList<int>, QStringList, int>(
        {"pacing", "writes", "frames", "notForwarded"});

    const QList<int> fifty(50, 1);
    QTest::newRow("release: 40 one-byte writes fit")
        << Pacing::Release << QList<int>(40, 1) << Frames(0, 39) << 0;
    QTest::newRow("release: 50, the newest replaces the newer buffer") << Pacing::Release << fifty
                                                                       << (Frames(0, 42) << "d6"
                                                                                         << "i49.0")
                                                                       << 6;
    QTest::newRow("release: the count goes on")
        << Pacing::Release << (fifty + QList<int>{-1} + fifty)
        << (Frames(0, 42) << "d6"
                          << "i49.0" << Frames(50, 92) << "d12"
                          << "i99.0")
        << 12;
    // Each frame given up counts, a part of the write under way too.
    QTest::newRow("release: three writes of 200 bytes")
        << Pacing::Release << QList<int>{200, 200, 200}
        << QStringList{"i0.0", "i0.1", "i1.0", "d2", "i2.1"} << 2;
    QTest::newRow("hold: nothing lost") << Pacing::Hold << fifty << Frames(0, 49) << 0;
    QTest::newRow("hold: three writes of 200 bytes")
        << Pacing::Hold << QList<int>{200, 200, 200}
        << QStringList{"i0.0", "i0.1", "i1.0", "i1.1", "i2.0", "i2.1"} << 0;
}

void TestFirmwareCore::behindTheLine() {
    QFETCH(Pacing, pacing);
    QFETCH(QList<int>, writes);
    QFETCH(QStringList, frames);
    QFETCH(int, notForwarded);

    using quillon::protocol::FrameFormat;
    CoreRig rig;
    rig.UsePacing(pacing);
    rig.lineBytesPerMs = 1;
    // What each frame a write can make carries, by its token.
    std::map<Bytes, QString> tokens;
    int written = 0;
    for (const int length : writes) {
        if (length < 0) {
            rig.Advance(3000);
            continue;
        }
        const Bytes bytes = WriteBytes(written, length);
        for (int chunk = 0; chunk * 127 < length; ++chunk) {
            const auto from = bytes.begin() + chunk * 127;
            tokens[Bytes(from, std::min(from + 127, bytes.end()))] =
                QString("i%1.%2").arg(written).arg(chunk);
        }
        rig.MasterWrite(bytes);
        ++written;
    }
    rig.Advance(3000);
    rig.Feed(Frame(1, FrameFormat::CmdCounters));
    rig.Advance(100);

    std::size_t leftOver = 0;
    auto decoded = Decode(rig.TakeSent(), leftOver);
    QCOMPARE(leftOver, std::size_t(0));
    QVERIFY(!decoded.empty());
    const ProtocolCodec::Frame counters = decoded.back();
    decoded.pop_back();
    QStringList seen;
    for (const auto& frame : decoded) {
        QCOMPARE(int(frame.seq), int(FrameFormat::kUnsolicitedSeq));
        if (frame.code == FrameFormat::NotForwarded) {
            QCOMPARE(int(frame.length), 4);
            seen << QString("d%1").arg(CounterAt(frame.payload.data(), 0));
        } else {
            QCOMPARE(int(frame.code), int(FrameFormat::MasterData));
            seen << tokens.at(Bytes(frame.begin(), frame.end()));
        }
    }
    QCOMPARE(seen, frames);
    QCOMPARE(int(counters.code), int(FrameFormat::RepCounters));
    QCOMPARE(int(counters.length), 20);
    using quillon::protocol::Counter;
    QCOMPARE(int(CounterAt(counters.payload.data(), int(Counter::NotForwarded))), notForwarded);
    QCOMPARE(int(CounterAt(counters.payload.data(), int(Counter::MasterWrites))), written);
}

void TestFirmwareCore::pacingCommand_data() {
    quillon::testing::AddColumns<Commands, Save, Bytes, QList<Pacing>>(
        {"commands", "save", "replies", "stored"});

    QTest::newRow("a fresh adapter releases")
        << Commands{{1, 'P', {0xFF}}} << Save::Works << Bytes{0x00} << QList<Pacing>{};
    QTest::newRow("hold, asked, back to release")
        << Commands{{1, 'P', {0x01}}, {2, 'P', {0xFF}}, {3, 'P', {0x00}}} << Save::Works
        << Bytes{0x01, 0x01, 0x00} << QList<Pacing>{Pacing::Hold, Pacing::Release};
    QTest::newRow("the pacing in use is not stored again")
        << Commands{{1, 'P', {0x00}}} << Save::Works << Bytes{0x00} << QList<Pacing>{};
    QTest::newRow("not stored: not used, the reply tells")
        << Commands{{1, 'P', {0x01}}} << Save::Fails << Bytes{0x00} << QList<Pacing>{};
    QTest::newRow("not answered: other values and sizes")
        << Commands{{1, 'P', {0x02}}, {2, 'P', {0x80}}, {3, 'P', {}}, {4, 'P', {0x01, 0x01}}}
        << Save::Works << Bytes{} << QList<Pacing>{};
}

void TestFirmwareCore::pacingCommand() {
    QFETCH(Commands, commands);
    QFETCH(Save, save);
    QFETCH(Bytes, replies);
    QFETCH(QList<Pacing>, stored);

    CoreRig rig;
    rig.saveSucceeds = save == Save::Works;
    Bytes expected;
    for (const Command& command : commands) {
        rig.Feed(Frame(command.seq, command.code, command.payload));
    }
    for (std::size_t i = 0; i < replies.size(); ++i) {
        expected = Concat({expected, Frame(commands[i].seq, 'p', {replies[i]})});
    }
    QCOMPARE(rig.TakeSent(), expected);
    QCOMPARE(QList<Pacing>(rig.pacingsSaved.begin(), rig.pacingsSaved.end()), stored);
    QCOMPARE(int(rig.PacingInUse()), replies.empty() ? 0 : int(replies.back()));
}

QTEST_APPLESS_MAIN(TestFirmwareCore)
#include "tst_firmwarecore.moc"
