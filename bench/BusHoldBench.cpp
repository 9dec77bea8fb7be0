// How long the adapter firmware holds the I2C clock after each TWI status, and what that
// costs a master that ignores clock stretching, on the simulated board in simulated time:
// one fixed mix of transactions (writes of 1..8 and of 1..300 bytes, reads, a write and a
// read across a repeated START, address-only probes) per bus speed, master and pacing.
// Prints the `holds` report, the bytes the master's corrupted-lines name, and the widest
// pin skew of all port transitions.
#include "protocol/CommandTable.h"
#include "tests/support/PtyClient.h"
#include "tests/support/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using quillon::protocol::Pacing;

constexpr quint32 kSeed = 7;
constexpr int kTransactions = 300;
constexpr int kWaitMs = 600'000; // wall clock: the long writes drain at 9600 baud

struct Run {
    const char* kHz;
    const char* master;
    Pacing pacing;
};

QStringList Load(int& expectedLines) {
    QRandomGenerator random(kSeed);
    const auto bytes = [&](int most) {
        QStringList hex;
        const int count = int(random.bounded(1, most + 1));
        for (int i = 0; i < count; ++i) {
            hex << QString("%1").arg(random.bounded(256), 2, 16, QChar('0'));
        }
        return hex.join(' ');
    };
    QStringList commands;
    expectedLines = 0;
    for (int n = 0; n < kTransactions; ++n) {
        const int kind = int(random.bounded(10));
        ++expectedLines;
        if (kind < 2) {
            commands << "write " + bytes(300);
        } else if (kind < 5) {
            commands << "write " + bytes(8);
        } else if (kind < 7) {
            commands << QString("read %1").arg(random.bounded(1, 5));
        } else if (kind < 9) {
            commands << QString("write-read %1 ").arg(random.bounded(1, 4)) + bytes(4);
            ++expectedLines;
        } else {
            commands << "probe";
        }
    }
    return commands;
}

bool Measure(const Run& run) {
    SimProcess sim(SimProcess::Program::Board);
    if (const auto error =
            sim.Start({"--fast", "--pin-skew", "--bus-khz", run.kHz, "--master", run.master})) {
        std::fprintf(stderr, "BusHoldBench: %s\n", qPrintable(*error));
        return false;
    }
    PtyClient client;
    quillon::protocol::ProtocolCodec::Frame frame;
    if (!client.Open(sim.Device()) ||
        !client.Command(1, quillon::protocol::FrameFormat::CmdPacing, {uint8_t(run.pacing)}) ||
        client.Receive(frame, 3000) != PtyClient::Result::Frame ||
        frame.code != quillon::protocol::FrameFormat::RepPacing || frame.length != 1 ||
        frame.payload[0] != uint8_t(run.pacing)) {
        std::fprintf(stderr, "BusHoldBench: the firmware did not take pacing %d\n",
                     int(run.pacing));
        return false;
    }
    int expected = 0;
    for (const QString& command : Load(expected)) {
        sim.Command(command);
    }
    // A transaction ends in its master line or in an error other than a corrupted byte.
    static const QRegularExpression done(
        "^(master (wrote|read|probed) |error master \\w+: (?!.* corrupted: ))");
    quint32 notForwarded = 0;
    const auto drain = [&] {
        // The host must read, or the line backs up into the simulator.
        while (client.Receive(frame, 50) == PtyClient::Result::Frame) {
            if (frame.code == quillon::protocol::FrameFormat::NotForwarded &&
                frame.length == quillon::protocol::kNotForwardedSize) {
                notForwarded = quint32(frame.payload[0]) | quint32(frame.payload[1]) << 8 |
                               quint32(frame.payload[2]) << 16 | quint32(frame.payload[3]) << 24;
            }
        }
    };
    QElapsedTimer wall;
    wall.start();
    while (sim.EventTexts().filter(done).size() < expected && wall.elapsed() < kWaitMs) {
        drain();
    }
    sim.Command("holds");
    static const QRegularExpression hold("^clock hold ");
    while (sim.EventTexts().filter(hold).isEmpty() && wall.elapsed() < kWaitMs) {
        drain();
    }
    const QStringList events = sim.EventTexts();
    static const QRegularExpression corrupted("^error master \\w+: byte \\d+ corrupted");
    static const QRegularExpression skew("^port pins changed within ([0-9.]+) us");
    double widest = 0;
    for (const QString& line : events.filter(skew)) {
        widest = std::max(widest, skew.match(line).captured(1).toDouble());
    }
    std::printf("%s kHz, master %s, pacing %s: %lld of %d transactions done, %lld bytes "
                "corrupted (%lld lines of any kind), %lld master writes of which %u not "
                "forwarded, %.1f s wall\n",
                run.kHz, run.master, run.pacing == Pacing::Hold ? "hold" : "release",
                static_cast<long long>(events.filter(done).size()), expected,
                static_cast<long long>(events.filter(corrupted).size()),
                static_cast<long long>(events.filter("corrupted").size()),
                static_cast<long long>(events.filter(QRegularExpression("^master wrote ")).size()),
                notForwarded, wall.elapsed() / 1000.0);
    // Faster than the pin watcher's settle window, bytes run into one transition.
    if (std::strcmp(run.kHz, "100") == 0) {
        std::printf("    widest pin skew %.2f us over %lld transitions\n", widest,
                    static_cast<long long>(events.filter(skew).size()));
    }
    for (const QString& line : events.filter(hold)) {
        std::printf("    %s\n", qPrintable(line));
    }
    // Lines about other helpers' frames the simulator does not name yet are no concern here.
    const QStringList other = events.filter(
        QRegularExpression("^error (?!master \\w+: .* corrupted|firmware sent unsolicited)"));
    for (const QString& line : other.mid(0, 5)) {
        std::printf("    %s\n", qPrintable(line));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Run runs[] = {
        {"100", "stretch", Pacing::Release}, {"100", "no-stretch", Pacing::Release},
        {"100", "stretch", Pacing::Hold},    {"100", "no-stretch", Pacing::Hold},
        {"400", "stretch", Pacing::Release}, {"400", "no-stretch", Pacing::Release},
    };
    std::printf("%d transactions, seed %u, per run\n", kTransactions, kSeed);
    for (const Run& run : runs) {
        if (!Measure(run)) {
            return 1;
        }
    }
    return 0;
}
