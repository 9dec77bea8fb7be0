// The board simulator's pure pieces: how pins read, how the EEPROM cells map to the state
// file, how line traffic is named, how master writes are timed, the command line, and where
// the firmware image is found.
#include "boardsim/BoardOptions.h"
#include "boardsim/BoardPins.h"
#include "boardsim/EepromState.h"
#include "boardsim/FirmwareLocation.h"
#include "boardsim/FrameEvents.h"
#include "boardsim/WriteTimes.h"
#include "tests/support/DataColumns.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>

using quillon::boardsim::BoardOptions;
using quillon::boardsim::BoardPins;
using quillon::boardsim::EepromState;
using quillon::boardsim::FirmwareLocation;
using quillon::boardsim::FrameEvents;
using quillon::boardsim::WriteTimes;
using quillon::protocol::ProtocolCodec;

Q_DECLARE_METATYPE(BoardPins::Registers)
Q_DECLARE_METATYPE(ProtocolCodec::Frame)

namespace {

ProtocolCodec::Frame MakeFrame(uint8_t seq, uint8_t code, const QByteArray& payload = {}) {
    ProtocolCodec::Frame frame;
    frame.seq = seq;
    frame.code = code;
    frame.length = uint8_t(payload.size());
    std::copy(payload.begin(), payload.end(), frame.payload.begin());
    return frame;
}

QStringList Lines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const auto& line : lines) {
        list << QString::fromStdString(line);
    }
    return list;
}

// Registers with the given pins driven low (DDR 1, PORT 0); the rest released with the
// pull-up on, as the firmware leaves a high port pin.
BoardPins::Registers DriveLow(std::initializer_list<quillon::firmware::Pin> low) {
    BoardPins::Registers r;
    for (const auto& pin : quillon::firmware::kPortPins) {
        r.port[BoardPins::PortIndex(pin.port)] |= uint8_t(1u << pin.bit);
    }
    for (const auto& pin : low) {
        const int i = BoardPins::PortIndex(pin.port);
        r.ddr[i] |= uint8_t(1u << pin.bit);
        r.port[i] &= uint8_t(~(1u << pin.bit));
    }
    return r;
}

// One step of a conversation on the line: a command the firmware got, a reply it sent, or
// a reset of the board.
struct LineStep {
    enum class Kind { Command, Reply, Reset } kind;
    ProtocolCodec::Frame frame;
};

LineStep Command(uint8_t seq, uint8_t code, const QByteArray& payload = {}) {
    return {LineStep::Kind::Command, MakeFrame(seq, code, payload)};
}

LineStep Reply(uint8_t seq, uint8_t code, const QByteArray& payload = {}) {
    return {LineStep::Kind::Reply, MakeFrame(seq, code, payload)};
}

} // namespace

Q_DECLARE_METATYPE(std::vector<LineStep>)

class TestBoardParts : public QObject {
    Q_OBJECT

private slots:
    void pinLevels_data();
    void pinLevels();
    void eepromCells_data();
    void eepromCells();
    void lineTraffic_data();
    void lineTraffic();
    void repliesMatchTheOldestCommandOfTheirSeq_data();
    void repliesMatchTheOldestCommandOfTheirSeq();
    void writeTimes_data();
    void writeTimes();
    void options_data();
    void options();
    void firmwareLocation_data();
    void firmwareLocation();
};

void TestBoardParts::pinLevels_data() {
    using quillon::firmware::kInt1Pin;
    using quillon::firmware::kInt2Pin;
    using quillon::firmware::kPortPins;
    quillon::testing::AddColumns<BoardPins::Registers, int, bool, bool>(
        {"registers", "image", "int1", "int2"});
    QTest::newRow("after reset: inputs without pull-up read high")
        << BoardPins::Registers{} << 0xFF << false << false;
    QTest::newRow("all released") << DriveLow({}) << 0xFF << false << false;
    QTest::newRow("P0 low (PD2)") << DriveLow({kPortPins[0]}) << 0xFE << false << false;
    QTest::newRow("P6 low (PB0)") << DriveLow({kPortPins[6]}) << 0xBF << false << false;
    QTest::newRow("P7 and P3 low")
        << DriveLow({kPortPins[7], kPortPins[3]}) << 0x77 << false << false;
    QTest::newRow("INT1 asserted, port untouched") << DriveLow({kInt1Pin}) << 0xFF << true << false;
    QTest::newRow("INT2 asserted") << DriveLow({kInt2Pin, kPortPins[5]}) << 0xDF << false << true;
    BoardPins::Registers outputHigh = DriveLow({});
    outputHigh.ddr[BoardPins::PortIndex('D')] = 0xFC; // driven high is still high
    QTest::newRow("driven high") << outputHigh << 0xFF << false << false;
    BoardPins::Registers lowNoDrive;
    lowNoDrive.port[BoardPins::PortIndex('B')] = 0; // PORT 0 but input: released
    QTest::newRow("PORT 0 as input is released") << lowNoDrive << 0xFF << false << false;
}

void TestBoardParts::pinLevels() {
    QFETCH(BoardPins::Registers, registers);
    QFETCH(int, image);
    QFETCH(bool, int1);
    QFETCH(bool, int2);
    QCOMPARE(int(BoardPins::PortImage(registers)), image);
    QCOMPARE(BoardPins::InterruptAsserted(registers, 1), int1);
    QCOMPARE(BoardPins::InterruptAsserted(registers, 2), int2);
}

void TestBoardParts::eepromCells_data() {
    // cells: 0..7; address: -1: none stored. Cells 2..4 and 5..7 are the slots {sequence
    // (FF: empty), address, sequence ^ address ^ A5}, cells 0, 1 the first firmware's pair.
    quillon::testing::AddColumns<QByteArray, int>({"cells", "address"});
    QTest::newRow("erased") << QByteArray(8, '\xFF') << -1;
    QTest::newRow("all zero") << QByteArray(8, '\0') << -1;
    QTest::newRow("first firmware's pair") << QByteArray::fromHex("7E81FFFFFFFFFFFF") << 0x7E;
    QTest::newRow("first firmware's pair, damaged")
        << QByteArray::fromHex("7E80FFFFFFFFFFFF") << -1;
    QTest::newRow("one slot") << QByteArray::fromHex("FFFF004CE9FFFFFF") << 0x4C;
    QTest::newRow("slot wins over the pair") << QByteArray::fromHex("7E81004CE9FFFFFF") << 0x4C;
    QTest::newRow("newer slot wins") << QByteArray::fromHex("FFFF004CE9017EDA") << 0x7E;
    QTest::newRow("newer across the wrap") << QByteArray::fromHex("FFFF004CE9FE7E25") << 0x4C;
    QTest::newRow("sequence FF is no slot") << QByteArray::fromHex("FFFFFFA5FFFFFFFF") << -1;
    QTest::newRow("damaged newer slot") << QByteArray::fromHex("FFFF004CE9017ED9") << 0x4C;
}

void TestBoardParts::eepromCells() {
    QFETCH(QByteArray, cells);
    QFETCH(int, address);
    EepromState::Cells array;
    std::copy(cells.begin(), cells.end(), array.begin());
    const auto found = EepromState::AddressIn(array);
    QCOMPARE(found ? int(*found) : -1, address);
    // The way back: the cells for a file's address hold it; none gives erased cells.
    const auto written =
        EepromState::CellsFor(address < 0 ? std::nullopt : std::optional(uint8_t(address)));
    const auto back = EepromState::AddressIn(written);
    QCOMPARE(back ? int(*back) : -1, address);
    if (address < 0) {
        QVERIFY(std::all_of(written.begin(), written.end(), [](uint8_t c) { return c == 0xFF; }));
    }
}

void TestBoardParts::lineTraffic_data() {
    quillon::testing::AddColumns<ProtocolCodec::Frame, QStringList, ProtocolCodec::Frame,
                                 QStringList, bool>(
        {"command", "commandLines", "reply", "replyLines", "portWritten"});
    const auto none = QStringList{};
    QTest::newRow("version") << MakeFrame(1, 'V') << none << MakeFrame(1, 'v', "Board 1.0")
                             << QStringList{"version sent"} << false;
    QTest::newRow("read address") << MakeFrame(2, 'A') << none << MakeFrame(2, 'a', "\x40")
                                  << QStringList{"address read 40"} << false;
    QTest::newRow("change address: before from the board")
        << MakeFrame(3, 'C', "\x7F") << none << MakeFrame(3, 'c', "\x7E")
        << QStringList{"address 4C -> 7E"} << false;
    QTest::newRow("change to a reserved address refused")
        << MakeFrame(3, 'C', "\x01") << none << MakeFrame(3, 'c', "\x4C")
        << QStringList{"address 4C kept (00 is reserved)"} << false;
    QTest::newRow("save") << MakeFrame(4, 'S') << none << MakeFrame(4, 's', "\x7E")
                          << QStringList{"address saved 7E"} << false;
    QTest::newRow("write with INT2: pins tell the rest")
        << MakeFrame(5, 'W', QByteArray("\x02\xF7", 2)) << none << MakeFrame(5, 'y') << none
        << true;
    QTest::newRow("unknown code refused, answered anyway")
        << MakeFrame(6, 'Z')
        << QStringList{"error unknown code; frame 'Z' (0x5A) seq 6 not answered"}
        << MakeFrame(6, 'z')
        << QStringList{"error firmware reply 'z' (0x7A) seq 6 answers frame 'Z' (0x5A), which "
                       "needs no answer"}
        << false;
    QTest::newRow("wrong reply code")
        << MakeFrame(7, 'W', QByteArray("\x01\x00", 2)) << none << MakeFrame(7, 'w')
        << QStringList{"error firmware reply 'w' (0x77) seq 7 does not fit command 'W' (0x57)"}
        << false;
    QTest::newRow("reply without command")
        << MakeFrame(8, 'A') << none << MakeFrame(9, 'a', "\x40")
        << QStringList{"error firmware reply 'a' (0x61) seq 9 answers no command"} << false;
    QTest::newRow("address reply without address")
        << MakeFrame(10, 'A') << none << MakeFrame(10, 'a')
        << QStringList{"error firmware reply 'a' (0x61) seq 10 has payload length 0"} << false;
    QTest::newRow("master data is no reply")
        << MakeFrame(11, 'A') << none << MakeFrame(0, 'i', "\x5A") << none << false;
    QTest::newRow("pacing hold") << MakeFrame(12, 'P', "\x01") << none << MakeFrame(12, 'p', "\x01")
                                 << QStringList{"pacing hold"} << false;
    QTest::newRow("pacing asked: release")
        << MakeFrame(13, 'P', "\xFF") << none << MakeFrame(13, 'p', QByteArray(1, '\0'))
        << QStringList{"pacing release"} << false;
    QTest::newRow("pacing reply of no pacing")
        << MakeFrame(14, 'P', "\xFF") << none << MakeFrame(14, 'p', "\x02")
        << QStringList{"error firmware reply 'p' (0x70) seq 14 has pacing value 2"} << false;
    QTest::newRow("counters") << MakeFrame(15, 'Q') << none
                              << MakeFrame(15, 'q', QByteArray(20, 'x'))
                              << QStringList{"counters sent"} << false;
    QTest::newRow("not-forwarded report, least significant byte first")
        << MakeFrame(16, 'A') << none << MakeFrame(0, 'd', QByteArray("\x02\x01\x00\x01", 4))
        << QStringList{"writes not forwarded 16777474"} << false;
    QTest::newRow("not-forwarded report of the wrong size")
        << MakeFrame(17, 'A') << none << MakeFrame(0, 'd', "\x02")
        << QStringList{"error firmware unsolicited frame 'd' (0x64) has payload length 1"} << false;
    QTest::newRow("unsolicited frame of another code")
        << MakeFrame(18, 'A') << none << MakeFrame(0, 'a', "\x40")
        << QStringList{"error firmware sent unsolicited frame 'a' (0x61)"} << false;
}

void TestBoardParts::lineTraffic() {
    QFETCH(ProtocolCodec::Frame, command);
    QFETCH(QStringList, commandLines);
    QFETCH(ProtocolCodec::Frame, reply);
    QFETCH(QStringList, replyLines);
    QFETCH(bool, portWritten);
    FrameEvents events;
    QCOMPARE(Lines(events.FromHost(command, 0x4C)), commandLines);
    const FrameEvents::Result result = events.FromBoard(reply);
    QCOMPARE(Lines(result.lines), replyLines);
    QCOMPARE(result.portWritten, portWritten);
    // A second reply to the same command is one too many.
    if (reply.seq != 0 && replyLines.isEmpty()) {
        QCOMPARE(events.FromBoard(reply).lines.size(), std::size_t(1));
    }
}

void TestBoardParts::repliesMatchTheOldestCommandOfTheirSeq_data() {
    quillon::testing::AddColumns<std::vector<LineStep>, QStringList>({"steps", "lines"});
    const LineStep reset{LineStep::Kind::Reset, {}};
    QTest::newRow("two of one SEQ, answered in order")
        << std::vector{Command(5, 'W', QByteArray("\x00\xBF", 2)), Command(5, 'A'), Reply(5, 'w'),
                       Reply(5, 'a', "\x40")}
        << QStringList{"address read 40"};
    QTest::newRow("a refused command does not take the reply of a later one")
        << std::vector{Command(6, 'Z'), Command(6, 'A'), Reply(6, 'a', "\x40")}
        << QStringList{"error unknown code; frame 'Z' (0x5A) seq 6 not answered",
                       "address read 40"};
    QTest::newRow("a reset forgets what was not answered")
        << std::vector{Command(7, 'W', QByteArray("\x00\xBF", 2)), reset, Command(7, 'A'),
                       Reply(7, 'a', "\x40")}
        << QStringList{"address read 40"};
    QTest::newRow("one reply too many")
        << std::vector{Command(8, 'A'), Command(8, 'V'), Reply(8, 'a', "\x40"),
                       Reply(8, 'v', "Board 1.0"), Reply(8, 'v', "Board 1.0")}
        << QStringList{"address read 40", "version sent",
                       "error firmware reply 'v' (0x76) seq 8 answers no command"};
}

void TestBoardParts::repliesMatchTheOldestCommandOfTheirSeq() {
    QFETCH(std::vector<LineStep>, steps);
    QFETCH(QStringList, lines);
    FrameEvents events;
    QStringList seen;
    for (const LineStep& step : steps) {
        switch (step.kind) {
        case LineStep::Kind::Command:
            seen << Lines(events.FromHost(step.frame, 0x40));
            break;
        case LineStep::Kind::Reply:
            seen << Lines(events.FromBoard(step.frame).lines);
            break;
        case LineStep::Kind::Reset:
            events.Reset();
            break;
        }
    }
    QCOMPARE(seen, lines);
}

// Steps, times in cycles of one microsecond, every byte on the wire for 1000 of them:
//   "write N START STOP"  a write of N data bytes the board took whole
//   "i N AT"              an i frame of N data bytes (N + 5 on the wire), first byte at AT
//   "reply AT"            a 5-byte reply frame
//   "noise N AT"          N bytes that make no frame
//   "forget"              a write failed
void TestBoardParts::writeTimes_data() {
    quillon::testing::AddColumns<QStringList, QStringList>({"steps", "lines"});
    QTest::newRow("one frame, all of it after the STOP")
        << QStringList{"write 1 0 300", "i 1 350"}
        << QStringList{"6.3500: master write 1 bytes: STOP 0.3000 ms, i frames 6 bytes from "
                       "0.3500 ms to 6.3500 ms, 6.00 bytes after the STOP"};
    // 127 + 3 bytes: the first frame went out while the master was still writing; at the
    // STOP 10 of its bytes had left and the 11th was half way.
    QTest::newRow("two frames, the first under way at the STOP")
        << QStringList{"i 127 0", "write 130 0 10500", "i 3 132000"}
        << QStringList{"140.0000: master write 130 bytes: STOP 10.5000 ms, i frames 132+8 "
                       "bytes from 0.0000 ms to 140.0000 ms, 129.50 bytes after the STOP"};
    QTest::newRow("replies and noise between are no part of it")
        << QStringList{"write 2 0 400", "reply 500", "noise 3 5500", "i 2 8500"}
        << QStringList{"15.5000: master write 2 bytes: STOP 0.4000 ms, i frames 7 bytes from "
                       "8.5000 ms to 15.5000 ms, 7.00 bytes after the STOP"};
    QTest::newRow("writes queue behind each other")
        << QStringList{"write 1 0 300", "write 2 400 800", "i 1 850", "i 2 6850"}
        << QStringList{"6.8500: master write 1 bytes: STOP 0.3000 ms, i frames 6 bytes from "
                       "0.8500 ms to 6.8500 ms, 6.00 bytes after the STOP",
                       "13.8500: master write 2 bytes: STOP 0.8000 ms, i frames 7 bytes from "
                       "6.8500 ms to 13.8500 ms, 7.00 bytes after the STOP"};
    // The failed write's frame comes late; the next write must not take it for its own.
    QTest::newRow("a failed write's frame is nobody's")
        << QStringList{"write 1 0 300", "forget", "i 1 350", "write 1 7000 7300", "i 1 7350"}
        << QStringList{"13.3500: master write 1 bytes: STOP 7.3000 ms, i frames 6 bytes from "
                       "7.3500 ms to 13.3500 ms, 6.00 bytes after the STOP"};
    QTest::newRow("a frame that started before the data was whole is not the last")
        << QStringList{"write 1 0 300", "i 1 100", "write 1 7000 7300", "i 1 7350"}
        << QStringList{"13.3500: master write 1 bytes: STOP 7.3000 ms, i frames 6 bytes from "
                       "7.3500 ms to 13.3500 ms, 6.00 bytes after the STOP"};
    // 32 full frames and a short one: the firmware held the bus until the queue had room,
    // so the STOP came during the last byte of the 32nd.
    QStringList longWrite;
    for (int k = 0; k < 32; ++k) {
        longWrite << QString("i 127 %1").arg(k * 132000);
    }
    longWrite << "write 4073 0 4223500"
              << "i 9 4224000";
    QTest::newRow("a long write's line lists every frame")
        << longWrite
        << QStringList{"4238.0000: master write 4073 bytes: STOP 4223.5000 ms, i frames " +
                       QStringList(32, "132").join('+') +
                       "+14 bytes from 0.0000 ms to 4238.0000 ms, 14.50 bytes after the STOP"};
    QTest::newRow("frames that split where no write ends")
        << QStringList{"write 2 0 300", "i 3 350"} << QStringList{};
}

void TestBoardParts::writeTimes() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);
    constexpr WriteTimes::Cycle kByte = 1000;
    QStringList reported;
    WriteTimes times(1.0, [&](const std::string& line, WriteTimes::Cycle when) {
        reported << QString("%1: %2").arg(double(when) / 1000.0, 0, 'f', 4).arg(line.c_str());
    });
    const auto send = [&](int count, WriteTimes::Cycle at) {
        for (int i = 0; i < count; ++i) {
            times.ByteSent(at + WriteTimes::Cycle(i) * kByte,
                           at + WriteTimes::Cycle(i + 1) * kByte);
        }
    };
    for (const QString& step : steps) {
        const QStringList w = step.split(' ');
        const auto n = [&](int i) { return w.value(i).toULongLong(); };
        if (w[0] == "write") {
            times.WriteEnded(n(1), n(2), n(3));
        } else if (w[0] == "i") {
            const int size = int(n(1)) + 5;
            send(size, n(2));
            times.FrameSent(MakeFrame(0, 'i', QByteArray(int(n(1)), '\x5A')), std::size_t(size));
        } else if (w[0] == "reply") {
            send(5, n(1));
            times.FrameSent(MakeFrame(1, 'w'), 5);
        } else if (w[0] == "noise") {
            send(int(n(1)), n(2));
        } else {
            QCOMPARE(w[0], QString("forget"));
            times.Forget();
        }
    }
    QCOMPARE(reported, lines);
}

void TestBoardParts::options_data() {
    quillon::testing::AddColumns<QStringList, bool>({"args", "accepted"});
    QTest::newRow("firmware, fast, state")
        << QStringList{"--firmware", "fw.elf", "--fast", "--state=s.txt"} << true;
    QTest::newRow("adapter faults")
        << QStringList{"--no-reply", "--late-reply",   "300", "--garbage", "8",     "--seed",
                       "7",          "--hangup-after", "3",   "--camera",  "--pace"}
        << true;
    QTest::newRow("pulse widths, write times")
        << QStringList{"--pulse-widths", "--write-times"} << true;
    QTest::newRow("no auto-reset, bootloader wait")
        << QStringList{"--no-auto-reset", "--boot-ms", "250"} << true;
    QTest::newRow("bootloader wait of an hour and more")
        << QStringList{"--boot-ms=3600001"} << false;
    QTest::newRow("bus master without stretching at 400 kHz, pin skew")
        << QStringList{"--master", "no-stretch", "--bus-khz=400", "--pin-skew"} << true;
    QTest::newRow("stretching master at 100 kHz")
        << QStringList{"--master=stretch", "--bus-khz", "100"} << true;
    QTest::newRow("master of another kind") << QStringList{"--master", "lazy"} << false;
    QTest::newRow("bus speed between the two") << QStringList{"--bus-khz", "200"} << false;
    QTest::newRow("version is the firmware's") << QStringList{"--version", "X"} << false;
    QTest::newRow("baud is the firmware's") << QStringList{"--baud", "2400"} << false;
    QTest::newRow("unknown") << QStringList{"--turbo"} << false;
    QTest::newRow("empty firmware path") << QStringList{"--firmware="} << false;
    QTest::newRow("flag with value") << QStringList{"--fast=1"} << false;
    QTest::newRow("missing value") << QStringList{"--late-reply"} << false;
    QTest::newRow("out of range") << QStringList{"--hangup-after", "0"} << false;
}

void TestBoardParts::options() {
    QFETCH(QStringList, args);
    QFETCH(bool, accepted);
    std::vector<std::string> list;
    for (const QString& arg : args) {
        list.push_back(arg.toStdString());
    }
    BoardOptions options;
    const auto problem = options.Parse(list);
    QCOMPARE(!problem, accepted);
    if (accepted) {
        QCOMPARE(options.writeTimes, args.contains("--write-times"));
        QCOMPARE(options.pulseWidths, args.contains("--pulse-widths"));
        // The real circuit unless told otherwise.
        QCOMPARE(options.autoReset, !args.contains("--no-auto-reset"));
        QCOMPARE(options.bootMs, args.contains("--boot-ms") ? 250 : BoardOptions::kDefaultBootMs);
        QCOMPARE(options.pinSkew, args.contains("--pin-skew"));
        QCOMPARE(options.stretching, args.contains("no-stretch")
                                         ? quillon::boardsim::TwiMaster::Stretching::Ignored
                                         : quillon::boardsim::TwiMaster::Stretching::Honoured);
        QCOMPARE(options.busKhz, args.contains("--bus-khz=400") ? 400 : 100);
    }
    if (accepted && args.contains("--fast")) {
        QVERIFY(options.fast);
        QCOMPARE(options.firmware, std::string("fw.elf"));
        QCOMPARE(options.line.state, std::string("s.txt"));
    }
    if (accepted && args.contains("--no-reply")) {
        QVERIFY(options.line.noReply && options.line.camera);
        QCOMPARE(options.line.lateReplyMs, 300);
        QCOMPARE(options.line.garbage, 8);
        QCOMPARE(options.line.hangupAfter, 3);
        QCOMPARE(options.line.seed, std::optional<uint32_t>(7));
    }
}

// Where the image is looked for: next to the program (a build tree), then in the installed
// data folder relative to it. Columns: which of the two places hold an image (or a folder
// of that name), and which one is found (-1: none).
void TestBoardParts::firmwareLocation_data() {
    quillon::testing::AddColumns<QString, QString, int>({"nextToProgram", "installed", "found"});
    QTest::newRow("build tree") << "file"
                                << "" << 0;
    QTest::newRow("installed") << ""
                               << "file" << 1;
    QTest::newRow("build tree wins") << "file"
                                     << "file" << 0;
    QTest::newRow("none") << ""
                          << "" << -1;
    QTest::newRow("a folder is no image") << "folder"
                                          << "file" << 1;
}

void TestBoardParts::firmwareLocation() {
    QFETCH(QString, nextToProgram);
    QFETCH(QString, installed);
    QFETCH(int, found);

    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const std::filesystem::path programDir =
        std::filesystem::path(prefix.path().toStdString()) / "bin";
    const auto candidates = FirmwareLocation::Candidates(programDir);
    QCOMPARE(candidates.size(), std::size_t(2));
    QCOMPARE(candidates[0], programDir / FirmwareLocation::kImageName);
    // The installed image is outside the program's folder, in the tree the program is part of.
    const auto relative = candidates[1].lexically_relative(prefix.path().toStdString());
    QVERIFY2(!relative.empty() && *relative.begin() != "..", candidates[1].c_str());

    const QStringList kinds{nextToProgram, installed};
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        std::filesystem::create_directories(candidates[i].parent_path());
        if (kinds[int(i)] == "file") {
            std::ofstream(candidates[i]) << "image";
        } else if (kinds[int(i)] == "folder") {
            std::filesystem::create_directory(candidates[i]);
        }
    }
    const std::filesystem::path expected = found < 0 ? std::filesystem::path() : candidates[found];
    QCOMPARE(FirmwareLocation::Find(programDir), expected);
}

QTEST_APPLESS_MAIN(TestBoardParts)
#include "tst_boardparts.moc"
