// The frame codec on its own: round trips, and resynchronisation after anything the line
// can bring.
#include "protocol/ProtocolCodec.h"
#include "tests/support/DataColumns.h"
#include "tests/support/FrameBytes.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using framebytes::Bytes;
using framebytes::Concat;
using framebytes::Frame;
using quillon::protocol::ProtocolCodec;

Q_DECLARE_METATYPE(Bytes)

namespace {

struct Decoded {
    uint8_t seq;
    uint8_t code;
    Bytes payload;
    bool operator==(const Decoded&) const = default;
};

std::vector<Decoded> Drain(ProtocolCodec& codec) {
    std::vector<Decoded> out;
    ProtocolCodec::Frame frame;
    while (codec.Next(frame)) {
        out.push_back({frame.seq, frame.code, Bytes(frame.begin(), frame.end())});
    }
    // Whatever is left can never be a whole frame: it would have been taken or dropped.
    if (codec.Buffered() >= ProtocolCodec::kMaxFrame) {
        qFatal("codec holds %zu bytes after draining", codec.Buffered());
    }
    return out;
}

std::vector<Decoded> FeedAll(ProtocolCodec& codec, const Bytes& input, bool singleBytes) {
    std::vector<Decoded> out;
    if (!singleBytes) {
        codec.Feed(input.data(), input.size());
        return Drain(codec);
    }
    for (uint8_t byte : input) {
        codec.Feed(&byte, 1);
        for (Decoded& d : Drain(codec)) {
            out.push_back(std::move(d));
        }
    }
    return out;
}

Bytes Filled(std::size_t size, uint8_t first) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = uint8_t(first + i);
    }
    return out;
}

} // namespace

class TestProtocolCodec : public QObject {
    Q_OBJECT

private slots:
    void crcMatchesTheStandardCheckValue();
    void roundTrip_data();
    void roundTrip();
    void oversizedPayloadIsNotEncoded();
    void resync_data();
    void resync();
    void randomLineNeverLosesCleanFrames_data();
    void randomLineNeverLosesCleanFrames();
};

void TestProtocolCodec::crcMatchesTheStandardCheckValue() {
    // CRC-8 (poly 0x07, init 0, no reflection, no XOR) of "123456789" is 0xF4.
    const char* check = "123456789";
    QCOMPARE(ProtocolCodec::Crc8(reinterpret_cast<const uint8_t*>(check), 9), uint8_t{0xF4});
}

void TestProtocolCodec::roundTrip_data() {
    quillon::testing::AddColumns<uint8_t, uint8_t, Bytes>({"seq", "code", "payload"});

    QTest::newRow("V") << uint8_t{1} << uint8_t{'V'} << Bytes{};
    QTest::newRow("W one byte, line 1") << uint8_t{2} << uint8_t{'W'} << Bytes{1, 0x5A};
    QTest::newRow("W sixteen bytes") << uint8_t{3} << uint8_t{'W'} << Concat({{0}, Filled(16, 1)});
    QTest::newRow("A") << uint8_t{4} << uint8_t{'A'} << Bytes{};
    QTest::newRow("C") << uint8_t{5} << uint8_t{'C'} << Bytes{0x7E};
    QTest::newRow("S") << uint8_t{255} << uint8_t{'S'} << Bytes{};
    QTest::newRow("v 64 bytes of text") << uint8_t{1} << uint8_t{'v'} << Filled(64, ' ');
    QTest::newRow("w") << uint8_t{6} << uint8_t{'w'} << Bytes{};
    QTest::newRow("x") << uint8_t{7} << uint8_t{'x'} << Bytes{};
    QTest::newRow("y") << uint8_t{8} << uint8_t{'y'} << Bytes{};
    QTest::newRow("a") << uint8_t{9} << uint8_t{'a'} << Bytes{0x40};
    QTest::newRow("c") << uint8_t{10} << uint8_t{'c'} << Bytes{0x7E};
    QTest::newRow("s") << uint8_t{11} << uint8_t{'s'} << Bytes{0x7E};
    QTest::newRow("i one byte") << uint8_t{0} << uint8_t{'i'} << Bytes{0x5A};
    QTest::newRow("i maximal, full of STX") << uint8_t{0} << uint8_t{'i'} << Bytes(127, 0x02);
    QTest::newRow("i maximal, all values") << uint8_t{0} << uint8_t{'i'} << Filled(127, 0x80);
}

void TestProtocolCodec::roundTrip() {
    QFETCH(uint8_t, seq);
    QFETCH(uint8_t, code);
    QFETCH(Bytes, payload);

    const Bytes frame = Frame(seq, code, payload);
    QCOMPARE(frame.size(), payload.size() + 5);
    QCOMPARE(frame[0], ProtocolCodec::kStx);
    QCOMPARE(frame[1], uint8_t(payload.size()));
    QCOMPARE(frame[2], seq);
    QCOMPARE(frame[3], code);
    QVERIFY(std::equal(payload.begin(), payload.end(), frame.begin() + 4));
    QCOMPARE(frame.back(), ProtocolCodec::Crc8(frame.data() + 1, frame.size() - 2));

    const std::vector<Decoded> expected{{seq, code, payload}, {seq, code, payload}};
    for (bool singleBytes : {false, true}) {
        ProtocolCodec codec;
        QVERIFY(FeedAll(codec, Concat({frame, frame}), singleBytes) == expected);
        QVERIFY(!codec.HasPartial());
        QCOMPARE(codec.Discarded(), std::size_t{0});
    }
}

void TestProtocolCodec::oversizedPayloadIsNotEncoded() {
    Bytes out{0xAA};
    const Bytes payload(128, 1);
    QVERIFY(!ProtocolCodec::Encode(1, 'i', payload.data(), payload.size(), out));
    QVERIFY(!ProtocolCodec::Encode(1, 'W', nullptr, 3, out));
    QCOMPARE(out, Bytes{0xAA});
    QVERIFY(ProtocolCodec::Encode(1, 'i', payload.data(), 127, out));
    QCOMPARE(out.size(), std::size_t{1 + 132});
}

void TestProtocolCodec::resync_data() {
    // lineIdle: the line goes quiet after the input
    quillon::testing::AddColumns<Bytes, bool, int, int>(
        {"input", "lineIdle", "framesBeforeIdle", "framesAfterIdle"});

    const Bytes good = Frame(7, 'a', {0x40});
    const Bytes other = Frame(8, 'w');
    Bytes badCrc = Frame(9, 'c', {0x7E});
    badCrc.back() ^= 0x01;
    Bytes truncated = Frame(10, 'v', Filled(20, 'A'));
    truncated.resize(9);

    QTest::newRow("garbage without STX")
        << Concat({{0xFF, 0x00, 0x55, 0x61}, good}) << false << 1 << 0;
    QTest::newRow("STX with LEN above 127")
        << Concat({{0x02, 0x80, 0x01}, good}) << false << 1 << 0;
    QTest::newRow("STX pairs") << Concat({{0x02, 0x02, 0x02}, good}) << false << 1 << 0;
    QTest::newRow("bad CRC, then a good frame") << Concat({badCrc, good}) << false << 1 << 0;
    QTest::newRow("truncated frame holds two good ones until idle")
        << Concat({truncated, good, other}) << true << 0 << 2;
    QTest::newRow("good frame starting inside a broken one")
        << Concat({{0x02, 0x03, 0x01}, good}) << false << 1 << 0;
    QTest::newRow("stray STX, large LEN: held until the line is idle")
        << Concat({{0x02, 0x7F, 0x00, 'i'}, good, other}) << true << 0 << 2;
    QTest::newRow("partial frame alone: idle empties it")
        << Bytes{0x02, 0x10, 0x01, 'v', 'a', 'b'} << true << 0 << 0;
    QTest::newRow("garbage with one STX") << Filled(300, 0x03) << false << 0 << 0;
    QTest::newRow("valid frames only after idle and a long tail")
        << Concat({{0x02, 0x7F}, Filled(40, 0x10), good}) << true << 0 << 1;
}

void TestProtocolCodec::resync() {
    QFETCH(Bytes, input);
    QFETCH(bool, lineIdle);
    QFETCH(int, framesBeforeIdle);
    QFETCH(int, framesAfterIdle);

    for (bool singleBytes : {false, true}) {
        ProtocolCodec codec;
        const auto before = FeedAll(codec, input, singleBytes);
        QCOMPARE(int(before.size()), framesBeforeIdle);
        int after = 0;
        if (lineIdle) {
            // Each quiet spell drops one STX; a sender's spells repeat until nothing is held.
            for (int spell = 0; spell < 200 && codec.HasPartial(); ++spell) {
                codec.LineIdle();
                after += int(Drain(codec).size());
            }
            QVERIFY(!codec.HasPartial());
        }
        QCOMPARE(after, framesAfterIdle);
        for (const Decoded& d : before) {
            QVERIFY(d.seq == 7 || d.seq == 8); // never the broken frames
        }
    }
}

void TestProtocolCodec::randomLineNeverLosesCleanFrames_data() {
    quillon::testing::AddColumns<quint32, bool, int>({"seed", "stxInGarbage", "chunk"});
    for (quint32 seed : {1u, 2u, 3u}) {
        QTest::addRow("seed %u, clean garbage, chunks of 7", seed) << seed << false << 7;
        QTest::addRow("seed %u, clean garbage, single bytes", seed) << seed << false << 1;
        QTest::addRow("seed %u, any garbage, chunks of 500", seed) << seed << true << 500;
    }
}

void TestProtocolCodec::randomLineNeverLosesCleanFrames() {
    QFETCH(quint32, seed);
    QFETCH(bool, stxInGarbage);
    QFETCH(int, chunk);
    QRandomGenerator random(seed);

    Bytes line;
    std::vector<Decoded> sent;
    for (int n = 0; n < 300; ++n) {
        const int garbage = random.bounded(0, 40);
        for (int g = 0; g < garbage; ++g) {
            uint8_t byte = uint8_t(random.bounded(256));
            if (!stxInGarbage && byte == ProtocolCodec::kStx) {
                byte = 0x03;
            }
            line.push_back(byte);
        }
        Bytes payload(std::size_t(random.bounded(0, 128)));
        for (uint8_t& b : payload) {
            b = uint8_t(random.bounded(256));
        }
        const uint8_t seq = uint8_t(n % 255 + 1);
        sent.push_back({seq, 'i', payload});
        const Bytes frame = Frame(seq, 'i', payload);
        line.insert(line.end(), frame.begin(), frame.end());
    }

    ProtocolCodec codec;
    std::vector<Decoded> received;
    for (std::size_t at = 0; at < line.size(); at += std::size_t(chunk)) {
        const std::size_t size = std::min(std::size_t(chunk), line.size() - at);
        codec.Feed(line.data() + at, size);
        for (Decoded& d : Drain(codec)) {
            received.push_back(std::move(d));
        }
    }
    if (!stxInGarbage) {
        QVERIFY(received == sent);
        return;
    }
    // Random STX bytes can, rarely, start a bogus frame whose CRC happens to match and that
    // swallows a real one. Nearly all real frames must still come through, in order.
    std::size_t next = 0;
    int found = 0;
    for (const Decoded& d : received) {
        const auto it = std::find(sent.begin() + std::ptrdiff_t(next), sent.end(), d);
        if (it != sent.end()) {
            next = std::size_t(it - sent.begin()) + 1;
            ++found;
        }
    }
    QVERIFY2(found >= 290, qPrintable(QString("only %1 of 300 frames found").arg(found)));
}

QTEST_GUILESS_MAIN(TestProtocolCodec)
#include "tst_protocolcodec.moc"
