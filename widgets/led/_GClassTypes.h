#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class QObject;

// Value sets of the LED indicator. They live in one namespace so the lamp, the control and
// the layout loader (which writes TIndLED::sRound etc.) all name the same enumerators.
namespace quillon::widgets {
Q_NAMESPACE

enum TLEDShape : uint8_t { sRound, sArrowLeft, sArrowRight, sArrowUp, sArrowDown, sRectangle };
Q_ENUM_NS(TLEDShape)

enum TLEDPos : uint8_t { lpLeft, lpRight, lpTop, lpBottom };
Q_ENUM_NS(TLEDPos)

enum TMode : uint8_t { mButton, mSwitch, mIndicator, mRadioButton };
Q_ENUM_NS(TMode)

enum TFlashFreq : uint8_t { ff8Hz, ff4Hz, ff2Hz, ff1Hz, ff05Hz };
Q_ENUM_NS(TFlashFreq)

// Priority of the flash clock's thread, lowest to highest.
enum TThreadPriority : uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};
Q_ENUM_NS(TThreadPriority)

} // namespace quillon::widgets

// A notify event: one bound handler, empty = not raised. Handlers run synchronously and
// their exceptions reach whoever made the write that raised them.
using TNotifyEvent = std::function<void(QObject* sender)>;
// Raises a notify event through a copy, so a handler may rebind or clear its own slot.
inline void RaiseEvent(const TNotifyEvent& event, QObject* sender) {
    if (event) {
        const TNotifyEvent handler = event;
        handler(sender);
    }
}

using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;
