// Master write to notification on the simulated board, in the board's own simulated time:
// from the STOP of a bus master's write to the last byte of the `i` frames it caused
// leaving the firmware's UART, as a ratio to the wire time of those bytes. Simulated time
// does not stretch when the host is busy, so the figures do not depend on its load.
#include "BenchMain.h"
#include "protocol/FrameFormat.h"
#include "tests/support/PtyClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using quillon::protocol::LineFormat;
constexpr double kByteMs = double{LineFormat::kBitsPerByte} / LineFormat::kBaud * 1000.0;
constexpr int kLineWaitMs = 10000; // wall clock, generous: the machine may be busy
// The UART must be idle when a write's STOP comes, or the figure would include the wait
// for it. Idle here means two byte times after the last byte: for one byte time after a
// frame simavr's transmitter sends a new byte only on its own byte-time tick, so a frame
// queued then waits up to a byte time, which a real chip does not. A master read of this
// many bytes before each write (90 us a byte on the bus, no frame) keeps that distance in
// simulated time whatever the host's load; a write that still comes too early is written
// again, this many times at most.
constexpr int kSpacerReadBytes = 48;
constexpr double kIdleBytes = 2;
constexpr int kMaxRetries = 20;

SimProcess* gSim = nullptr;
PtyClient* gClient = nullptr;
qsizetype gLinesRead = 0;
double gLastByteMs = 0;

// One line of --write-times.
struct Timing {
    int bytes = 0;
    double stopMs = 0;
    double firstMs = 0;
    double lastMs = 0;
    double afterStop = 0; // frame bytes still to cross the wire at the STOP
    int frames = 0;
    int frameBytes = 0;
};

std::optional<Timing> Parse(const QString& line) {
    static const QRegularExpression pattern(
        R"(master write (\d+) bytes: STOP ([0-9.]+) ms, i frames ([0-9+]+) bytes from )"
        R"(([0-9.]+) ms to ([0-9.]+) ms, ([0-9.]+) bytes after the STOP$)");
    const auto m = pattern.match(line);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Timing t;
    t.bytes = m.captured(1).toInt();
    t.stopMs = m.captured(2).toDouble();
    for (const QString& size : m.captured(3).split('+')) {
        ++t.frames;
        t.frameBytes += size.toInt();
    }
    t.firstMs = m.captured(4).toDouble();
    t.lastMs = m.captured(5).toDouble();
    t.afterStop = m.captured(6).toDouble();
    return t;
}

std::optional<Timing> NextTiming() {
    const QDeadlineTimer deadline(kLineWaitMs);
    for (;;) {
        const QStringList lines = gSim->RawLines();
        for (; gLinesRead < lines.size(); ++gLinesRead) {
            if (auto timing = Parse(lines[gLinesRead])) {
                ++gLinesRead;
                return timing;
            }
        }
        if (deadline.hasExpired() ||
            !gSim->Process().waitForReadyRead(int(deadline.remainingTime()))) {
            return std::nullopt;
        }
    }
}

// The frames the write caused, as the host receives them.
bool FramesCarry(const QByteArray& written) {
    QByteArray notified;
    quillon::protocol::ProtocolCodec::Frame frame;
    while (notified.size() < written.size()) {
        if (gClient->Receive(frame, kLineWaitMs) != PtyClient::Result::Frame ||
            frame.code != quillon::protocol::FrameFormat::MasterData) {
            return false;
        }
        notified.append(reinterpret_cast<const char*>(frame.begin()), frame.length);
    }
    return notified == written;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_MasterWriteToFrames(benchmark::State& state) {
    const int length = int(state.range(0));
    std::vector<double> latency, ratio, start;
    Timing last;
    int retries = 0;
    uint8_t seed = 0;
    for (auto _ : state) {
        std::optional<Timing> timing;
        for (int attempt = 0; attempt <= kMaxRetries; ++attempt) {
            QByteArray written;
            QString command = "write";
            ++seed;
            for (int i = 0; i < length; ++i) {
                written.append(char(uint8_t(seed + i * 7)));
                command += QString(" %1").arg(uint8_t(written.back()), 2, 16, QChar('0'));
            }
            gSim->Command(QString("read %1").arg(kSpacerReadBytes));
            gSim->Command(command);
            timing = NextTiming();
            if (!timing || timing->bytes != length || !FramesCarry(written)) {
                state.SkipWithError("no timing line, or frames that do not carry the write");
                return;
            }
            const bool clear = timing->stopMs >= gLastByteMs + kIdleBytes * kByteMs;
            gLastByteMs = timing->lastMs;
            if (clear) {
                break;
            }
            ++retries;
            timing.reset();
        }
        if (!timing) {
            state.SkipWithError("every write found the UART busy with the one before");
            return;
        }
        const double ms = timing->lastMs - timing->stopMs;
        state.SetIterationTime(ms / 1000.0);
        latency.push_back(ms);
        ratio.push_back(ms / (timing->afterStop * kByteMs));
        start.push_back((timing->firstMs - timing->stopMs) * 1000.0);
        last = *timing;
    }
    state.counters["frames"] = last.frames;
    state.counters["frame_bytes"] = last.frameBytes;
    state.counters["bytes_after_stop"] = last.afterStop;
    state.counters["wire_ms"] = last.afterStop * kByteMs;
    state.counters["median_ms"] = Median(latency);
    state.counters["max_ms"] = *std::max_element(latency.begin(), latency.end());
    state.counters["median_per_wire"] = Median(ratio);
    state.counters["min_per_wire"] = *std::min_element(ratio.begin(), ratio.end());
    state.counters["max_per_wire"] = *std::max_element(ratio.begin(), ratio.end());
    state.counters["first_byte_us"] = Median(start);
    state.counters["retries"] = retries;
}
// 1, 16 and 127 data bytes make one frame each (6, 21 and 132 bytes); 200 make two, 127 and
// 73 (132 + 78 bytes), the first already on the wire when the STOP comes.
BENCHMARK(BM_MasterWriteToFrames)
    ->ArgsProduct({{1, 16, 127, 200}})
    ->Iterations(100)
    ->Apply(quillon::bench::ManualMilliseconds);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimProcess sim(SimProcess::Program::Board);
    if (!quillon::bench::StartSimulator(sim, {"--fast", "--write-times"}, "board simulator")) {
        return 1;
    }
    PtyClient client;
    if (!client.Open(sim.Device())) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(sim.Device()));
        return 1;
    }
    gSim = &sim;
    gClient = &client;
    quillon::bench::RunRegistered(argc, argv,
                                  {{"time", "simulated: STOP to the last byte's stop bit"},
                                   {"wire_time", "bytes after the STOP x 10 bits / 9600 baud"}});
    return 0;
}
