#include "_IndFlash.h"

#include "_IndFlashThread.h"

#include "platform/core/ErrorReport.h"

#include <QPointer>
#include <QScopeGuard>

TIndFlash::TIndFlash(QObject* owner)
    : QObject(owner),
      // Queued to this clock: if the clock goes away first, the tick goes with it.
      thread_(std::make_unique<TTimerThread>(
          [this] { QMetaObject::invokeMethod(this, "ThreadTick", Qt::QueuedConnection); })) {}

TIndFlash::~TIndFlash() {
    destroying_ = true;
    enabled_ = false;
    onTimer_ = nullptr;
    // The thread waits for a handed-over tick with the stop request as an alternative, so
    // this join cannot deadlock; a tick still queued for us dies with this object.
    thread_->Stop();
    thread_->Wait();
}

void TIndFlash::setEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    UpdateTimer();
}

void TIndFlash::setThreadPriority(TThreadPriority value) {
    if (value == priority_ || value > tpTimeCritical)
        return;
    priority_ = value;
    UpdateTimer();
}

void TIndFlash::SetOnTimer(TNotifyEvent handler) {
    const bool had = static_cast<bool>(onTimer_);
    onTimer_ = std::move(handler);
    if (had != static_cast<bool>(onTimer_))
        UpdateTimer();
}

bool TIndFlash::Running() const {
    return thread_->IsTicking();
}

void TIndFlash::UpdateTimer() {
    thread_->Suspend();
    thread_->SetInterval(interval_);
    if (interval_ != 0 && enabled_ && onTimer_) {
        thread_->Resume(priority_);
    }
}

void TIndFlash::ThreadTick() {
    const QPointer<TIndFlash> self(this);
    // The waiting thread is released however the tick ends, or it would never tick again.
    // A clock destroyed by its own handler has already stopped and joined its thread.
    const auto release = qScopeGuard([this, &self] {
        if (self) {
            thread_->TickDone();
        }
    });
    // A failing handler goes to the general error report before the thread is released: the
    // report may hold the UI thread in a message box, and a handler that fails on every tick
    // then brings up one box at a time rather than one per tick.
    quillon::platform::ToolkitCall([this] { DoTimer(); });
}

void TIndFlash::DoTimer() {
    if (!enabled_ || destroying_ || !onTimer_)
        return;
    // A handler may replace itself or destroy the clock; the copy keeps it alive meanwhile.
    const TNotifyEvent handler = onTimer_;
    handler(this);
}
