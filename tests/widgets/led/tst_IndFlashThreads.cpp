// The flash clock's thread against the UI thread, with no test framework threads of its
// own around, so a thread sanitizer build sees only the clock's traffic.

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include "tests/support/ModalCloser.h"
#include "platform/gui/TApplication.h"

#include "widgets/led/IndFlashT.h"
#include "widgets/led/IndLED.h"

#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

// Runs the event loop until the condition holds or five seconds pass.
bool RunUntil(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

class CountingLED : public TIndLED {
public:
    int phases = 0;
    void Dispatch(quillon::platform::TMessage& msg) override {
        if (msg.Msg == WM_INDFLASHPHASE)
            ++phases;
        TIndLED::Dispatch(msg);
    }
};

void LedsFlashFromTheClockThread() {
    CountingLED a;
    CountingLED b;
    a.setFrequency(TIndLED::ff8Hz);
    a.setFlashing(true);
    a.setChecked(true);
    b.setFlashing(true);
    b.setChecked(true);
    Check(IndFlashClock() && IndFlashClock()->Running(), "clock starts on first entry");
    Check(RunUntil([&] { return a.phases >= 4; }), "8 Hz LED receives phases");
    // Stopping and starting the clock while it runs.
    for (int i = 0; i < 20; ++i) {
        IndFlashClock()->setEnabled(i % 2 == 1);
        IndFlashClock()->setThreadPriority(i % 3 ? TIndFlash::tpNormal : TIndFlash::tpLower);
        QCoreApplication::processEvents();
    }
    const int before = a.phases;
    Check(RunUntil([&] { return a.phases >= before + 2; }), "phases go on after toggling");
}

void DestroyWhileHandingOver() {
    for (int round = 0; round < 20; ++round) {
        int ticks = 0;
        auto clock = std::make_unique<TIndFlash>();
        clock->SetOnTimer([&](QObject*) { ++ticks; });
        Check(RunUntil([&] { return ticks >= 1; }), "own clock ticks");
        // Let the thread post its next tick and block on it, then destroy the clock.
        QThread::msleep(round % 2 ? 40 : 5);
        clock.reset();
        const int seen = ticks;
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        Check(ticks == seen, "no tick reaches a destroyed clock");
    }
}

void DestroyFromOwnTick() {
    auto* clock = new TIndFlash;
    bool destroyed = false;
    clock->SetOnTimer([&](QObject*) {
        delete clock;
        destroyed = true;
    });
    Check(RunUntil([&] { return destroyed; }), "clock destroyed from its own tick");
    QCoreApplication::processEvents();
}

// A tick handler that throws reaches the general error report, and the clock goes on.
void FailingTickIsReported() {
    ModalCloser closer;
    int ticks = 0;
    TIndFlash clock;
    clock.SetOnTimer([&](QObject*) {
        ++ticks;
        if (ticks <= 2) {
            throw std::runtime_error("tick failed");
        }
    });
    Check(RunUntil([&] { return ticks >= 5; }), "clock ticks on after failing ticks");
    Check(closer.count() == 2, "every failing tick reported once");
    Check(closer.texts.value(0) == QStringLiteral("tick failed."), "report shows the failure");
}

} // namespace

int main(int argc, char** argv) {
    int result = 0;
    {
        TApplication app(argc, argv);
        LedsFlashFromTheClockThread();
        DestroyWhileHandingOver();
        DestroyFromOwnTick();
        FailingTickIsReported();
        // Leave one LED registered: the application's end must take the ticking clock down.
        // The LED is never freed, as a widget cannot outlive the application object.
        auto* leftOver = new CountingLED;
#if defined(__SANITIZE_ADDRESS__)
        __lsan_ignore_object(leftOver); // on purpose, see above
#endif
        leftOver->setFlashing(true);
        leftOver->setChecked(true);
        Check(RunUntil([leftOver] { return leftOver->phases >= 1; }), "left-over LED flashes");
        result = failures;
    }
    Check(IndFlashClock() == nullptr, "clock freed with the application");
    std::printf("%s\n", failures ? "FAILED" : "PASSED");
    return result != 0 || failures != 0;
}
