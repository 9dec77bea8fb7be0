// Cost of one StatusInt write to an 8-LED group, and what it repaints.

#include "BenchMain.h"
#include "widgets/led/IndFlashT.h"
#include "widgets/led/IndLED.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// Counts paint events and sorts them into lamp-only and whole-control ones.
class PaintCounter : public QObject {
public:
    int64_t lampOnly = 0;
    int64_t whole = 0;
    int64_t pixels = 0;
    void Reset() { lampOnly = whole = pixels = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        auto* led = static_cast<TIndLED*>(watched);
        const QRect area = static_cast<QPaintEvent*>(event)->region().boundingRect();
        if (led->LED()->Rect().contains(area))
            ++lampOnly;
        else
            ++whole;
        pixels += int64_t(area.width()) * area.height();
        return false;
    }
};

struct Group {
    QWidget form;
    std::vector<TIndLED*> leds;
    PaintCounter counter;

    explicit Group(bool shown) {
        form.resize(8 * 80, 40);
        for (int bit = 0; bit < 8; ++bit) {
            auto* led = new TIndLED(&form);
            led->setGeometry(bit * 80, 0, 73, 33);
            led->setStatusBit(bit);
            led->setGroupIndex(1);
            led->setCaption(QStringLiteral("P%1").arg(bit));
            led->installEventFilter(&counter);
            leds.push_back(led);
        }
        if (shown) {
            form.show();
            // Let the first full paints happen, then count from a settled window.
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
        }
        counter.Reset();
    }
};

void Report(benchmark::State& state, const Group& g) {
    QCoreApplication::processEvents(); // anything left invalidated would be painted now
    const double writes = static_cast<double>(state.iterations());
    state.counters["lamp_paints/write"] = double(g.counter.lampOnly) / writes;
    state.counters["whole_paints"] = double(g.counter.whole);
    state.counters["painted_px/write"] = double(g.counter.pixels) / writes;
    state.counters["control_px"] = 73.0 * 33.0;
}

// Every write flips all eight bits, so every member changes value and state.
void StatusIntWrites(benchmark::State& state, bool shown) {
    Group g(shown);
    int value = 0xA5;
    for (auto _ : state) {
        g.leds[3]->setStatusInt(value);
        value ^= 0xFF;
    }
    Report(state, g);
}

void BM_StatusIntWrite_Shown(benchmark::State& state) {
    StatusIntWrites(state, true);
}
BENCHMARK(BM_StatusIntWrite_Shown);

// The group logic alone: hidden LEDs skip their lamp redraws.
void BM_StatusIntWrite_Hidden(benchmark::State& state) {
    StatusIntWrites(state, false);
}
BENCHMARK(BM_StatusIntWrite_Hidden);

// One flash tick over n registered LEDs, driven by hand.
void BM_FlashTick(benchmark::State& state) {
    std::vector<std::unique_ptr<TIndLED>> leds;
    for (int i = 0; i < state.range(0); ++i) {
        leds.push_back(std::make_unique<TIndLED>());
        leds.back()->setFrequency(TIndLED::ff8Hz);
        leds.back()->setFlashing(true);
        leds.back()->setChecked(true);
    }
    IndFlashClock()->setEnabled(false);
    for (auto _ : state)
        IndFlashTick();
}
BENCHMARK(BM_FlashTick)->Arg(8)->Arg(64);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quillon::bench::RunRegistered(argc, argv);
    return 0;
}
