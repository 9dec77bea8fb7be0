// Command round trip: a port write through the adapter component and the real library
// until its confirmation event on the UI thread, against the simulator pacing its replies
// at the line speed. Reported next to the wire time of the request and reply frames.
#include "BenchMain.h"
#include "adapter/Vantrel.h"
#include "protocol/FrameFormat.h"
#include "tests/support/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using quillon::protocol::LineFormat;
constexpr double kBaud = LineFormat::kBaud;
constexpr double kBitsPerByte = LineFormat::kBitsPerByte;
// W frame: STX LEN SEQ CODE, interrupt type and one data byte, CRC; reply: 5 bytes.
constexpr int kRequestBytes = 4 + 2 + 1;
constexpr int kReplyBytes = 4 + 0 + 1;
constexpr double kWireMs = (kRequestBytes + kReplyBytes) * kBitsPerByte / kBaud * 1000.0;

TVantrel* gVantrel = nullptr;

void BM_PortWriteRoundTrip(benchmark::State& state) {
    const uint8_t intType = uint8_t(state.range(0));
    std::vector<double> samples;
    int confirmed = 0;
    QEventLoop loop;
    gVantrel->OnWriteI2CRegs = [&](QObject*, uint8_t type) {
        confirmed += type == intType ? 1 : 0;
        loop.quit();
    };
    int timeOuts = 0;
    gVantrel->OnTimeOut = [&](QObject*) {
        ++timeOuts;
        loop.quit();
    };
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    uint8_t value = 0;
    for (auto _ : state) {
        ++value;
        QElapsedTimer clock;
        clock.start();
        const uint8_t status = gVantrel->WriteI2CRegs(std::span(&value, 1), intType);
        if (status != VANTREL_STATUS_SENT) {
            state.SkipWithError("write refused");
            break;
        }
        guard.start(2000);
        loop.exec();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        samples.push_back(ms);
    }
    gVantrel->OnWriteI2CRegs = nullptr;
    gVantrel->OnTimeOut = nullptr;
    if (samples.empty() || confirmed != int(samples.size())) {
        std::fprintf(stderr, "%d of %zu writes confirmed, %d time-outs\n", confirmed,
                     samples.size(), timeOuts);
        state.SkipWithError("a write was not confirmed");
        return;
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    state.counters["wire_ms"] = kWireMs;
    state.counters["median_ms"] = median;
    state.counters["max_ms"] = samples.back();
    state.counters["median_per_wire"] = median / kWireMs;
    state.counters["max_per_wire"] = samples.back() / kWireMs;
}
BENCHMARK(BM_PortWriteRoundTrip)
    ->ArgsProduct({{VANTREL_INT_NONE, VANTREL_INT_LINE1}})
    ->Iterations(300)
    ->Apply(quillon::bench::ManualMilliseconds);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimProcess sim;
    if (!quillon::bench::StartSimulator(sim, {"--pace"}, "simulator")) {
        return 1;
    }
    qputenv("VANTREL_COM1", sim.Device().toLocal8Bit());
    TVantrel vantrel(nullptr);
    gVantrel = &vantrel;
    vantrel.setComport(1);
    vantrel.setTimeOut(1500);
    QEventLoop opened;
    vantrel.OnOpen = [&](QObject*, uint8_t) { opened.quit(); };
    vantrel.OnTimeOut = [&](QObject*) { opened.exit(1); };
    vantrel.Connect(true);
    if (opened.exec() != 0) {
        std::fprintf(stderr, "the simulator did not answer the opening\n");
        return 1;
    }
    quillon::bench::RunRegistered(
        argc, argv, {{"wire_time", "request 7 + reply 5 bytes at 9600 8N1 = 12.5 ms"}});
    vantrel.Connect(false);
    return 0;
}
