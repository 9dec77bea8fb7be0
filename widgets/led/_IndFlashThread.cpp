#include "_IndFlashThread.h"

#include "_IndFlash.h"

#include <QPointer>

#include <chrono>

TTimerThread::TTimerThread(TIndFlash* clock) : clock_(clock) {}

TTimerThread::~TTimerThread() {
    Stop();
    wait();
}

void TTimerThread::SetInterval(int ms) {
    std::lock_guard lock(mutex_);
    interval_ = ms;
}

void TTimerThread::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void TTimerThread::Resume(QThread::Priority priority) {
    {
        std::lock_guard lock(mutex_);
        if (stop_)
            return;
        suspended_ = false;
    }
    wake_.notify_all();
    if (isRunning())
        setPriority(priority);
    else
        start(priority);
}

void TTimerThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

bool TTimerThread::IsTicking() const {
    std::lock_guard lock(mutex_);
    return !suspended_ && !stop_;
}

void TTimerThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !suspended_; });
        if (stop_)
            return;
        const auto interval = std::chrono::milliseconds(interval_);
        if (wake_.wait_for(lock, interval, [this] { return stop_; }))
            return;
        if (suspended_)
            continue;
        tickDone_ = false;
        // Queued to the clock itself: if the clock goes away first, the tick goes with it.
        QMetaObject::invokeMethod(
            clock_, [this] { DeliverTick(); }, Qt::QueuedConnection);
        wake_.wait(lock, [this] { return stop_ || tickDone_; });
        if (stop_)
            return;
    }
}

void TTimerThread::DeliverTick() {
    QPointer<TIndFlash> clock(clock_);
    clock_->DoTimer();
    // A tick handler that destroyed the clock has already stopped and joined this thread.
    if (!clock)
        return;
    {
        std::lock_guard lock(mutex_);
        tickDone_ = true;
    }
    wake_.notify_all();
}
