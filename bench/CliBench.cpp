// quillon-cli as a rig uses it, the built program as a child process against the simulator:
//  - `quillon-cli write 5A` from process start to exit, against the simulator pacing its
//    output at 9600 baud, next to the wire time of the opening check and the write, and
//    the program's start and exit alone (`--version`);
//  - `watch` taking one-byte master writes at the line's capacity: rate and losses;
//  - `press SW7` hold times, as the camera unit measures them and as the tool does;
//  - one `session`: a `write` line to its `written` line, next to the write's wire time, and
//    master writes at the line's capacity arriving in it: rate, order, losses.
// Figures in docs/performance.md.
#include "BenchMain.h"
#include "protocol/FrameFormat.h"
#include "tests/support/CliProcess.h"
#include "tests/support/SimProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kByteMs = double{quillon::protocol::LineFormat::kBitsPerByte} /
                           quillon::protocol::LineFormat::kBaud * 1000.0;
// Opening check: V (5 bytes) and its reply, header and CRC around the simulator's
// 32-character version text; the write: W with interrupt type and one byte (7) and its
// reply (5).
constexpr int kVersionTextBytes = 32;
constexpr int kOpenBytes = 5 + (5 + kVersionTextBytes);
constexpr int kWriteBytes = 7 + 5;
constexpr double kWireMs = (kOpenBytes + kWriteBytes) * kByteMs;
// Only the simulator's output is paced: a pseudo-terminal passes our own bytes at once.
constexpr double kPacedMs = ((5 + kVersionTextBytes) + 5) * kByteMs;
// A write in a session: W and its reply, nothing else.
constexpr double kSessionWriteWireMs = kWriteBytes * kByteMs;
// Of which the simulator paces its reply only.
constexpr double kSessionWritePacedMs = 5 * kByteMs;
// One-byte master writes make the shortest data frames, so the most the line carries.
constexpr int kMasterFrameBytes = 6;
constexpr double kLineCapacity = 1000.0 / (kMasterFrameBytes * kByteMs);

std::unique_ptr<SimProcess> StartSim(const QStringList& args, benchmark::State& state) {
    auto sim = std::make_unique<SimProcess>();
    if (const auto error = sim->Start(args)) {
        state.SkipWithError(qPrintable("simulator: " + *error));
        return nullptr;
    }
    return sim;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_CliWriteStartToExit(benchmark::State& state) {
    const auto sim = StartSim({"--pace"}, state);
    if (!sim) {
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        CliProcess cli;
        QElapsedTimer clock;
        clock.start();
        if (!cli.Run({"-d", sim->Device(), "write", "5A"}, {}, 10000) || cli.ExitCode() != 0) {
            state.SkipWithError(qPrintable("write failed: " + cli.ErrLines().join(" | ")));
            break;
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        samples.push_back(ms);
        sim->RawLines(); // keep the simulator's output pipe drained
    }
    if (samples.empty()) {
        return;
    }
    const double median = Median(samples);
    const double target = 1.5 * kWireMs + 30.0;
    state.counters["wire_ms"] = kWireMs;
    state.counters["paced_ms"] = kPacedMs;
    state.counters["median_ms"] = median;
    state.counters["max_ms"] = *std::max_element(samples.begin(), samples.end());
    state.counters["median_per_wire"] = median / kWireMs;
    state.counters["target_ms"] = target;
    state.counters["median_per_target"] = median / target;
}
BENCHMARK(BM_CliWriteStartToExit)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

// The part of the above that is the program itself: start, load, parse, exit, no port.
void BM_CliStartWithoutPort(benchmark::State& state) {
    std::vector<double> samples;
    for (auto _ : state) {
        CliProcess cli;
        QElapsedTimer clock;
        clock.start();
        if (!cli.Run({"--version"}, {}, 10000) || cli.ExitCode() != 0) {
            state.SkipWithError("--version failed");
            break;
        }
        samples.push_back(double(clock.nsecsElapsed()) / 1e6);
        state.SetIterationTime(samples.back() / 1000.0);
    }
    state.counters["median_ms"] = Median(samples);
}
BENCHMARK(BM_CliStartWithoutPort)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CliWatchAtLineCapacity(benchmark::State& state) {
    const int writes = int(state.range(0));
    for (auto _ : state) {
        const auto sim = StartSim({"--pace"}, state);
        if (!sim) {
            return;
        }
        CliProcess cli;
        if (!cli.Start(
                {"-d", sim->Device(), "--json", "watch", "--count", QString::number(writes)}) ||
            !cli.WaitForOutput(R"(^\{"event":"watch")", 5000)) {
            state.SkipWithError("watch did not start");
            return;
        }
        for (int i = 0; i < writes; ++i) {
            sim->Command(QStringLiteral("write %1").arg(i & 0xFF, 2, 16, QLatin1Char('0')));
        }
        // Each line stamped as it reaches us: the tool has to print as fast as the line
        // delivers, not only receive.
        std::vector<double> arrived;
        QElapsedTimer clock;
        clock.start();
        const double allowedMs = writes / kLineCapacity * 1000.0 + 5000.0;
        qsizetype seen = 1; // the watch line
        while (int(arrived.size()) < writes && clock.elapsed() < allowedMs) {
            cli.Process().waitForReadyRead(100);
            const qsizetype now = cli.OutLines().size();
            for (; seen < now; ++seen) {
                arrived.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
        }
        cli.Finish(5000);
        const QStringList lines = cli.OutLines();
        bool inOrder = lines.size() == writes + 1;
        for (int i = 0; inOrder && i < writes; ++i) {
            const QJsonObject write = QJsonDocument::fromJson(lines.at(i + 1).toUtf8()).object();
            inOrder = write.value("port").toInt() == (i & 0xFF);
        }
        if (arrived.size() < 2 || !inOrder || cli.ExitCode() != 0) {
            // With VANTREL_TRACE=1 the library's notes say where a frame went.
            for (const QString& line : cli.ErrLines()) {
                if (!line.contains(QLatin1String(" RX ")) &&
                    !line.contains(QLatin1String(" TX "))) {
                    std::fprintf(stderr, "%s\n", qPrintable(line));
                }
            }
            // Where it went missing: before the simulator, on the line, or in the tool.
            const qsizetype simulated =
                sim->EventTexts().filter(QRegularExpression("^master wrote ")).size();
            state.SkipWithError(
                qPrintable(QStringLiteral("%1 of %2 writes printed (the simulator made %3), "
                                          "in order: %4")
                               .arg(arrived.size())
                               .arg(writes)
                               .arg(simulated)
                               .arg(inOrder)));
            return;
        }
        const double seconds = (arrived.back() - arrived.front()) / 1000.0;
        const double rate = double(arrived.size() - 1) / seconds;
        // The tool's own stamps: when each notification reached it.
        const auto stamp = [&lines](qsizetype i) {
            return QJsonDocument::fromJson(lines.at(i).toUtf8()).object().value("ms").toDouble();
        };
        const double toolSeconds = (stamp(writes) - stamp(1)) / 1000.0;
        state.counters["tool_per_s"] = double(writes - 1) / toolSeconds;
        state.SetIterationTime(seconds);
        state.counters["printed"] = double(arrived.size());
        state.counters["lost"] = double(writes - int(arrived.size()));
        state.counters["per_s"] = rate;
        state.counters["capacity_per_s"] = kLineCapacity;
        state.counters["ratio"] = rate / kLineCapacity;
    }
}
BENCHMARK(BM_CliWatchAtLineCapacity)
    ->Arg(1000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_CliPressHold(benchmark::State& state) {
    const auto sim = StartSim({"--camera"}, state);
    if (!sim) {
        return;
    }
    static const QRegularExpression released(R"(^SW7 released after (\d+) ms$)");
    std::vector<double> camera;
    std::vector<double> tool;
    for (auto _ : state) {
        CliProcess cli;
        if (!cli.Run({"-d", sim->Device(), "--json", "press", "SW7"}, {}, 10000) ||
            cli.ExitCode() != 0) {
            state.SkipWithError("press failed");
            break;
        }
        const QJsonObject line = QJsonDocument::fromJson(cli.OutLines().value(1).toUtf8()).object();
        tool.push_back(line.value("held_ms").toDouble());
        state.SetIterationTime(tool.back() / 1000.0);
    }
    QElapsedTimer waited;
    waited.start();
    while (int(camera.size()) < int(tool.size()) && waited.elapsed() < 5000) {
        camera.clear();
        for (const QString& text : sim->EventTexts()) {
            const auto match = released.match(text);
            if (match.hasMatch()) {
                camera.push_back(match.captured(1).toDouble());
            }
        }
        sim->Process().waitForReadyRead(50);
    }
    if (tool.empty() || camera.size() != tool.size()) {
        state.SkipWithError("the camera unit did not report every release");
        return;
    }
    const auto [cameraMin, cameraMax] = std::minmax_element(camera.begin(), camera.end());
    const auto [toolMin, toolMax] = std::minmax_element(tool.begin(), tool.end());
    state.counters["camera_median_ms"] = Median(camera);
    state.counters["camera_min_ms"] = *cameraMin;
    state.counters["camera_max_ms"] = *cameraMax;
    state.counters["tool_median_ms"] = Median(tool);
    state.counters["tool_min_ms"] = *toolMin;
    state.counters["tool_max_ms"] = *toolMax;
}
BENCHMARK(BM_CliPressHold)->Iterations(30)->UseManualTime()->Unit(benchmark::kMillisecond);

// A session opened on the paced simulator, past its opening: the version line is out.
bool OpenSession(CliProcess& cli, const SimProcess& sim, benchmark::State& state) {
    if (!cli.Start({"-d", sim.Device(), "--json", "session"}, "version\n",
                   CliProcess::InputEnd::OnClose) ||
        !cli.WaitForOutput(R"(^\{"event":"version")", 10000)) {
        state.SkipWithError(qPrintable("session did not open: " + cli.ErrLines().join(" | ")));
        return false;
    }
    return true;
}

// Waits until the tool has printed more than `lines` lines; false after ms.
bool WaitForLines(CliProcess& cli, qsizetype lines, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (cli.OutLines().size() <= lines) {
        if (clock.elapsed() > ms || cli.Process().state() == QProcess::NotRunning) {
            return false;
        }
        cli.Process().waitForReadyRead(ms);
    }
    return true;
}

void BM_CliSessionWrite(benchmark::State& state) {
    const auto sim = StartSim({"--pace"}, state);
    if (!sim) {
        return;
    }
    CliProcess cli;
    if (!OpenSession(cli, *sim, state)) {
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        const qsizetype before = cli.OutLines().size();
        QElapsedTimer clock;
        clock.start();
        if (!cli.Send("write 5A\n") || !WaitForLines(cli, before, 5000) ||
            !cli.OutLines().last().contains(QLatin1String(R"("event":"written")"))) {
            state.SkipWithError(qPrintable("write failed: " + cli.ErrLines().join(" | ")));
            break;
        }
        samples.push_back(double(clock.nsecsElapsed()) / 1e6);
        state.SetIterationTime(samples.back() / 1000.0);
        sim->RawLines();
    }
    cli.CloseInput();
    cli.Finish(5000);
    if (samples.empty()) {
        return;
    }
    const double target = kSessionWriteWireMs + 5.0;
    state.counters["wire_ms"] = kSessionWriteWireMs;
    state.counters["paced_ms"] = kSessionWritePacedMs;
    state.counters["median_ms"] = Median(samples);
    state.counters["max_ms"] = *std::max_element(samples.begin(), samples.end());
    state.counters["target_ms"] = target;
    state.counters["median_per_target"] = Median(samples) / target;
}
BENCHMARK(BM_CliSessionWrite)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CliSessionMasterWrites(benchmark::State& state) {
    const int writes = int(state.range(0));
    for (auto _ : state) {
        const auto sim = StartSim({"--pace"}, state);
        if (!sim) {
            return;
        }
        CliProcess cli;
        if (!OpenSession(cli, *sim, state)) {
            return;
        }
        QByteArray burst;
        for (int i = 0; i < writes; ++i) {
            burst += QStringLiteral("write %1\n").arg(i & 0xFF, 2, 16, QLatin1Char('0')).toUtf8();
        }
        burst.chop(1);
        sim->Command(QString::fromUtf8(burst));
        QElapsedTimer clock;
        clock.start();
        const double allowedMs = writes / kLineCapacity * 1000.0 + 5000.0;
        std::vector<double> arrived;
        qsizetype seen = 1; // the version line
        while (int(arrived.size()) < writes && clock.elapsed() < allowedMs &&
               cli.Process().state() == QProcess::Running) {
            cli.Process().waitForReadyRead(100);
            const qsizetype now = cli.OutLines().size();
            for (; seen < now; ++seen) {
                arrived.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
        }
        cli.CloseInput();
        cli.Finish(5000);
        // Every write once, in the order made, and nothing else between them.
        const QStringList lines = cli.OutLines();
        int inOrder = 0;
        for (qsizetype i = 1; i < lines.size() && inOrder < writes; ++i) {
            const QJsonObject event = QJsonDocument::fromJson(lines.at(i).toUtf8()).object();
            if (event.value("event").toString() != QLatin1String("master") ||
                event.value("port").toInt() != (inOrder & 0xFF)) {
                break;
            }
            ++inOrder;
        }
        if (inOrder != writes || lines.size() != writes + 1 || cli.ExitCode() != 0) {
            state.SkipWithError(qPrintable(
                QStringLiteral("%1 of %2 writes in order, %3 lines, exit %4; the simulator "
                               "made %5")
                    .arg(inOrder)
                    .arg(writes)
                    .arg(lines.size())
                    .arg(cli.ExitCode())
                    .arg(sim->EventTexts().filter(QRegularExpression("^master wrote ")).size())));
            return;
        }
        const double seconds = (arrived.back() - arrived.front()) / 1000.0;
        const double rate = double(arrived.size() - 1) / seconds;
        state.SetIterationTime(seconds);
        state.counters["in_order"] = double(inOrder);
        state.counters["per_s"] = rate;
        state.counters["capacity_per_s"] = kLineCapacity;
        state.counters["ratio"] = rate / kLineCapacity;
    }
}
BENCHMARK(BM_CliSessionMasterWrites)
    ->Arg(1000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (CliProcess::Binary().isEmpty()) {
        std::fprintf(stderr, "quillon-cli not found (QUILLON_BIN_DIR or PATH)\n");
        return 1;
    }
    quillon::bench::RunRegistered(
        argc, argv,
        {{"wire_time", "opening check 5 + 37 bytes, write 7 + 5 bytes at 9600 8N1 = 56.25 ms"}});
    return 0;
}
