#include "BusyRetry.h"

#include "vantrel32/Vantrel32.h"

#include <thread>

namespace {
// How often a closing window asks the link again: short against any reply, cheap to ask.
constexpr std::chrono::milliseconds kSettleStep{1};
} // namespace

TBusyRetry::TBusyRetry(TAttempt attempt, TReport report, QObject* parent)
    : QObject(parent), attempt_(std::move(attempt)), report_(std::move(report)) {
    lastTry_.setSingleShot(true);
    lastTry_.setTimerType(Qt::PreciseTimer);
    connect(&lastTry_, &QTimer::timeout, this, [this] {
        if (owed_) {
            Finish(attempt_());
        }
    });
}

void TBusyRetry::Owe(std::chrono::milliseconds bound) {
    owed_ = true;
    deadline_ = QDeadlineTimer(bound, Qt::PreciseTimer);
    lastTry_.start(bound);
}

void TBusyRetry::LinkMayBeFree() {
    if (!owed_) {
        return;
    }
    const uint8_t status = attempt_();
    if (status != VANTREL_STATUS_BUSY) {
        Finish(status);
    }
}

void TBusyRetry::Forget() {
    owed_ = false;
    lastTry_.stop();
}

void TBusyRetry::Settle() {
    while (owed_) {
        const uint8_t status = attempt_();
        if (status != VANTREL_STATUS_BUSY || deadline_.hasExpired()) {
            Finish(status);
            return;
        }
        std::this_thread::sleep_for(kSettleStep);
    }
}

void TBusyRetry::Finish(uint8_t status) {
    Forget();
    report_(status);
}
