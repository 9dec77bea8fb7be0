#include "IndFlashT.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <memory>
#include <vector>

namespace {

struct TFlashEntry {
    TIndFlashReceiver* control;
    int code;
    bool lastPhase;
};

constexpr int kMaxEntries = 32767;

// The unit's state; freeing it at unit end frees the clock and every remaining entry.
struct TFlashState {
    std::vector<std::unique_ptr<TFlashEntry>> registry;
    TIndFlashTimer* clock = nullptr;
    uint32_t tickCount = 0;
    bool appDestroying = false;
    bool postRoutineAdded = false;

    ~TFlashState() { delete clock; }
};

TFlashState& State() {
    static TFlashState state;
    return state;
}

uint16_t instanceCount = 0;
TIndFlashTimer::TMessageBox messageBox;

// The application object is going away: no more ticks, and the clock goes with it while
// the event dispatcher it hands ticks to still exists.
void OnApplicationDestroying() {
    TFlashState& s = State();
    s.appDestroying = true;
    delete s.clock;
    s.clock = nullptr;
}

void ShowDuplicateError() {
    if (messageBox) {
        messageBox(TIndFlashTimer::kDuplicateText, TIndFlashTimer::kDuplicateCaption);
        return;
    }
    QString text = TIndFlashTimer::kDuplicateText;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, TIndFlashTimer::kDuplicateCaption, text, QMessageBox::Ok);
    box.exec();
}

} // namespace

TIndFlashTimer::TIndFlashTimer(QObject* owner) : TIndFlash(owner) {
    ++instanceCount;
    if (instanceCount == 1)
        SetOnTimer([](QObject*) { IndFlashTick(); });
    else
        ShowDuplicateError();
}

TIndFlashTimer::~TIndFlashTimer() {
    --instanceCount;
}

int TIndFlashTimer::InstanceCount() {
    return instanceCount;
}

void TIndFlashTimer::SetMessageBox(TMessageBox box) {
    messageBox = std::move(box);
}

void IndFlashRegister(TIndFlashReceiver* control, int code) {
    if (!control)
        return;
    TFlashState& s = State();
    bool found = false;
    for (auto& entry : s.registry) {
        if (entry->control == control) {
            entry->code = code;
            found = true;
        }
    }
    if (!found) {
        if (s.registry.size() >= kMaxEntries)
            return;
        // Starts as shown: a new flasher is lit, so it first hears of the next "off" phase.
        s.registry.push_back(std::make_unique<TFlashEntry>(TFlashEntry{control, code, true}));
    }
    if (s.registry.capacity() - s.registry.size() < 2)
        s.registry.reserve(s.registry.size() + 10);
    if (!s.registry.empty() && !s.clock && !s.appDestroying) {
        if (!s.postRoutineAdded && QCoreApplication::instance()) {
            qAddPostRoutine(OnApplicationDestroying);
            s.postRoutineAdded = true;
        }
        s.clock = new TIndFlashTimer(nullptr);
    }
}

void IndFlashUnregister(TIndFlashReceiver* control) {
    TFlashState& s = State();
    for (auto it = s.registry.begin(); it != s.registry.end(); ++it) {
        if ((*it)->control == control) {
            s.registry.erase(it);
            break;
        }
    }
    if (s.appDestroying && s.registry.empty() && s.clock) {
        delete s.clock;
        s.clock = nullptr;
    }
}

void IndFlashTick() {
    TFlashState& s = State();
    ++s.tickCount; // unsigned: wraps from 0xFFFFFFFF to 0
    const int16_t count = static_cast<int16_t>(s.registry.size());
    for (int16_t i = 0; i < count; ++i) {
        if (s.appDestroying || static_cast<size_t>(i) >= s.registry.size()) {
            return;
        }
        try {
            TFlashEntry& entry = *s.registry[static_cast<size_t>(i)];
            const bool phase = ((s.tickCount >> entry.code) & 1u) != 0;
            if (phase == entry.lastPhase) {
                continue;
            }
            entry.lastPhase = phase;
            quillon::platform::TMessage msg;
            msg.Msg = kIndFlashPhaseMessage;
            msg.WParam = s.tickCount;
            msg.LParam = phase ? 1 : 0;
            entry.control->Dispatch(msg);
        } catch (...) {
            // One faulty receiver must not stop the others from flashing.
        }
    }
}

uint32_t IndFlashTickCount() {
    return State().tickCount;
}

void IndFlashSetTickCount(uint32_t value) {
    State().tickCount = value;
}

int IndFlashCount() {
    return static_cast<int>(State().registry.size());
}

int IndFlashCodeOf(const TIndFlashReceiver* control) {
    for (const auto& entry : State().registry) {
        if (entry->control == control) {
            return entry->code;
        }
    }
    return -1;
}

TIndFlashTimer* IndFlashClock() {
    return State().clock;
}
