#include "KeypadPress.h"

#include "KeypadSwitches.h"

#include <thread>

namespace quillon::adapter {

namespace {
// How often a settling owner asks the link again: short against any reply, cheap to ask.
constexpr std::chrono::milliseconds kSettleStep{1};
} // namespace

KeypadPress::KeypadPress(TVantrel& vantrel, QObject* parent, HoldEnd holdEnd)
    : QObject(parent), vantrel_(vantrel) {
    hold_.setSingleShot(true);
    hold_.setTimerType(Qt::PreciseTimer);
    hold_.setInterval(kHoldMs);
    if (holdEnd == HoldEnd::ReleasesItself) {
        connect(&hold_, &QTimer::timeout, this, &KeypadPress::Release);
    }
    lastTry_.setSingleShot(true);
    lastTry_.setTimerType(Qt::PreciseTimer);
    connect(&lastTry_, &QTimer::timeout, this, [this] {
        if (owed_) {
            Finish(Write(kReleased));
        }
    });
    WrapNotifications();
}

// Each notification either ends a command or tells of the port: the link may be free.
void KeypadPress::WrapNotifications() {
    const auto heard = [this](auto& slot) {
        slot = [this, inner = std::move(slot)](QObject* sender, auto... args) {
            LinkMayBeFree();
            if (inner) {
                inner(sender, args...);
            }
        };
    };
    heard(vantrel_.OnOpen);
    heard(vantrel_.OnClose);
    heard(vantrel_.OnTimeOut);
    heard(vantrel_.OnI2CDataAvail);
    heard(vantrel_.OnWriteI2CRegs);
    heard(vantrel_.OnSlvAdrOP);
    heard(vantrel_.OnSlvAdrRead);
}

void KeypadPress::SetHold(std::chrono::milliseconds hold) {
    if (hold_.intervalAsDuration() == hold) {
        return;
    }
    hold_.setInterval(hold);
}

uint8_t KeypadPress::Press(uint8_t pattern) {
    emit writing(pattern);
    const uint8_t status = Write(pattern);
    if (status != VANTREL_STATUS_BUSY) {
        Forget();
    }
    if (!hold_.isActive()) {
        hold_.start();
        releaseDue_ = std::chrono::steady_clock::now() + hold_.intervalAsDuration();
    }
    return status;
}

void KeypadPress::Release() {
    hold_.stop();
    emit writing(kReleased);
    const uint8_t status = Write(kReleased);
    if (status == VANTREL_STATUS_BUSY) {
        const std::chrono::milliseconds bound(vantrel_.TimeOut());
        owed_ = true;
        giveUp_ = QDeadlineTimer(bound, Qt::PreciseTimer);
        lastTry_.start(bound);
        return;
    }
    Finish(status);
}

void KeypadPress::Abandon() {
    hold_.stop();
    Forget();
}

void KeypadPress::LinkMayBeFree() {
    if (!owed_) {
        return;
    }
    const uint8_t status = Write(kReleased);
    if (status != VANTREL_STATUS_BUSY) {
        Finish(status);
    }
}

void KeypadPress::Forget() {
    owed_ = false;
    lastTry_.stop();
}

void KeypadPress::Settle() {
    if (hold_.isActive()) {
        std::this_thread::sleep_until(releaseDue_);
        Release();
    }
    while (owed_) {
        const uint8_t status = Write(kReleased);
        if (status != VANTREL_STATUS_BUSY || giveUp_.hasExpired()) {
            Finish(status);
            return;
        }
        std::this_thread::sleep_for(kSettleStep);
    }
}

uint8_t KeypadPress::Write(uint8_t pattern) {
    // The camera unit's keypad always reads its switches on interrupt line 1.
    return vantrel_.WriteI2CRegs(std::span(&pattern, 1), VANTREL_INT_LINE1);
}

void KeypadPress::Finish(uint8_t status) {
    Forget();
    emit released(status);
}

} // namespace quillon::adapter
