#pragma once

#include "_IndFlash.h"
#include "platform/core/ApplicationWindow.h"

#include <QString>

#include <cstdint>
#include <functional>

// The flash-phase message the clock sends: WParam = tick counter, LParam = phase (0 off,
// else on).
constexpr uint32_t kIndFlashPhaseMessage = 0x0400 + 100;

// What the flash clock drives: anything that takes its phase message. The clock knows its
// receivers by this alone, so the controls it drives can depend on it and not the reverse.
class TIndFlashReceiver {
public:
    // Called directly on the UI thread.
    virtual void Dispatch(quillon::platform::TMessage& msg) = 0;

protected:
    ~TIndFlashReceiver() = default;
};

// The application-wide flash clock. Only the first live instance ticks; any other one
// reports itself and stays inert.
class TIndFlashTimer : public TIndFlash {
    Q_OBJECT
public:
    using TMessageBox = std::function<void(const QString& text, const QString& caption)>;

    explicit TIndFlashTimer(QObject* owner = nullptr);
    ~TIndFlashTimer() override;

    static int InstanceCount();
    // Replaces the error box shown for a second instance (tests, embedding programs);
    // an empty hook restores the message box.
    static void SetMessageBox(TMessageBox box);

    static inline const QString kDuplicateText =
        QStringLiteral("Only one TIndFlashTimer per Application!\rRemove it...");
    static inline const QString kDuplicateCaption = QStringLiteral("Error Message");
};

// The flash registry. All of it runs on the UI thread.
// Adds the control (or gives its entry the new frequency code 2..6); creates the clock on
// the first registration.
void IndFlashRegister(TIndFlashReceiver* control, int code);
// Removes the control's entry, if it has one.
void IndFlashUnregister(TIndFlashReceiver* control);
// One tick: advances the counter and tells every entry whose phase bit changed.
void IndFlashTick();

uint32_t IndFlashTickCount();
// Lets tests and benchmarks drive the counter without real time.
void IndFlashSetTickCount(uint32_t value);
int IndFlashCount();
// The entry's frequency code, or -1 when the control is not registered.
int IndFlashCodeOf(const TIndFlashReceiver* control);
// The shared clock, or none before the first registration.
TIndFlashTimer* IndFlashClock();
