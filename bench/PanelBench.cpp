// The real window with the real library against the simulator, two measurements:
//  - keypad release timing: SW7 pressed N times (default 100) against the camera unit;
//    the hold time the simulator reports against the 250 ms of the keypad's one-shot timer;
//  - master-write notifications the window handles per second, with the simulator pacing
//    at 9600 baud, against the most frames the line can carry, and whether any was lost.
// Usage: PanelBench [presses] [master writes]
#include "app/UnitMain.h"
#include "platform/gui/TApplication.h"
#include "tests/support/SimProcess.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Runs the event loop until done() holds; false after the time limit.
bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick; // wakes the loop to look again at output that arrived on a pipe
    tick.start(1);
    while (!done()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool OpenPort(TForm1& form, SimProcess& sim) {
    if (form.BtnCOM->text() != QStringLiteral("COM?")) {
        form.BtnCOM->click();
        if (!WaitUntil([&] { return form.BtnCOM->text() == QStringLiteral("COM?"); }, 3000)) {
            return false;
        }
    }
    qputenv("VANTREL_COM1", sim.Device().toLocal8Bit());
    form.InComNr->setText(QStringLiteral("1"));
    form.BtnCOM->click();
    return WaitUntil([&] { return form.StatusText() == QStringLiteral("COMPort open"); }, 3000);
}

// Starts the simulator with the given options and opens the window's port on it; says why
// not under the measurement's name.
bool StartAndOpen(TForm1& form, SimProcess& sim, const QStringList& options, const char* what) {
    const std::optional<QString> error = sim.Start(options);
    if (error || !OpenPort(form, sim)) {
        std::fprintf(stderr, "%s: no simulator link %s\n", what,
                     qPrintable(error.value_or(QString())));
        return false;
    }
    return true;
}

int KeypadTiming(TForm1& form, int presses) {
    SimProcess sim;
    if (!StartAndOpen(form, sim, {"--camera"}, "keypad")) {
        return 1;
    }
    static const QRegularExpression released(QStringLiteral("^SW7 released after (\\d+) ms$"));
    std::vector<int> holds;
    qsizetype scanned = 0;
    // The panel's own view: from the click to its timer's tick, which writes the release.
    QElapsedTimer clock;
    clock.start();
    qint64 clicked = 0;
    std::vector<double> ticks;
    QObject::connect(form.Timer1, &QTimer::timeout,
                     [&] { ticks.push_back(double(clock.nsecsElapsed() - clicked) / 1e6); });
    for (int i = 0; i < presses; ++i) {
        clicked = clock.nsecsElapsed();
        form.BtnSW7->click();
        const bool ok = WaitUntil(
            [&] {
                const QStringList& events = sim.EventTexts();
                for (; scanned < events.size(); ++scanned) {
                    const QRegularExpressionMatch m = released.match(events.at(scanned));
                    if (m.hasMatch()) {
                        holds.push_back(m.captured(1).toInt());
                        ++scanned;
                        return true;
                    }
                }
                return false;
            },
            3000);
        // The release's confirmation frees the link for the next press.
        if (!ok ||
            !WaitUntil(
                [&] { return form.StatusText() == QStringLiteral("Data write with Interrupt 1"); },
                3000)) {
            std::fprintf(stderr, "keypad: press %d not released\n", i + 1);
            return 1;
        }
    }
    std::vector<int> sorted = holds;
    std::sort(sorted.begin(), sorted.end());
    int worst = 0;
    for (int h : holds) {
        worst = std::max(worst, std::abs(h - 250));
    }
    std::printf("keypad: %d presses of SW7, hold time reported by the camera unit\n", presses);
    std::printf("  median %d ms, min %d ms, max %d ms, worst deviation from 250 ms: %d ms\n",
                sorted[sorted.size() / 2], sorted.front(), sorted.back(), worst);
    std::sort(ticks.begin(), ticks.end());
    std::printf("  panel side, click to release tick: median %.1f ms, min %.1f ms, max %.1f ms\n",
                ticks[ticks.size() / 2], ticks.front(), ticks.back());
    return 0;
}

int MasterThroughput(TForm1& form, int writes) {
    SimProcess sim;
    if (!StartAndOpen(form, sim, {"--pace"}, "master")) {
        return 1;
    }
    std::vector<qint64> times;
    std::vector<int> values;
    QElapsedTimer clock;
    clock.start();
    const TOnI2CDataAvail window = form.Vantrel->OnI2CDataAvail;
    form.Vantrel->OnI2CDataAvail = [&](QObject* sender, TI2CData data) {
        window(sender, data);
        times.push_back(clock.nsecsElapsed());
        values.push_back(form.LEDP0->StatusInt());
    };
    // One-byte writes: the shortest frames, so the most notifications the line allows.
    QByteArray script;
    for (int i = 0; i < writes; ++i) {
        script += QStringLiteral("write %1\n").arg(i & 0xFF, 2, 16, QLatin1Char('0')).toLatin1();
    }
    for (const QByteArray& line : script.split('\n')) {
        if (!line.isEmpty()) {
            sim.Command(QString::fromLatin1(line));
        }
    }
    const int frameBytes = 4 + 1 + 1;
    const double capacity = 9600.0 / 10.0 / frameBytes;
    WaitUntil([&] { return int(times.size()) >= writes; }, int(writes / capacity * 1000) + 3000);
    form.Vantrel->OnI2CDataAvail = window;
    bool inOrder = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
        inOrder = inOrder && values[i] == int(i & 0xFF);
    }
    if (times.size() < 2) {
        std::fprintf(stderr, "master: %zu notifications\n", times.size());
        return 1;
    }
    const double seconds = double(times.back() - times.front()) / 1e9;
    const double rate = double(times.size() - 1) / seconds;
    std::printf("master writes: %d one-byte writes, frames of %d bytes at 9600 8N1\n", writes,
                frameBytes);
    std::printf("  line capacity %.1f frames/s, handled %.1f notifications/s, ratio %.3f\n",
                capacity, rate, rate / capacity);
    std::printf("  notified %zu of %d, in order: %s\n", times.size(), writes,
                inOrder ? "yes" : "no");
    return int(times.size()) == writes && inOrder ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::setStyle(QStringLiteral("Windows"));
    const int presses = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    const int writes = argc > 2 ? std::max(2, atoi(argv[2])) : 1000;
    auto form = std::make_unique<TForm1>();
    form->show();
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly)) {
        std::printf("load average at start: %s", load.readLine().constData());
    }
    int result = KeypadTiming(*form, presses);
    result |= MasterThroughput(*form, writes);
    return result;
}
