#include "_IndFlashThread.h"

#include <chrono>
#include <utility>

#include <pthread.h>
#include <sched.h>

TIndThread::~TIndThread() {
    Wait();
}

void TIndThread::Start(quillon::widgets::TThreadPriority priority) {
    thread_ = std::thread([this] { Execute(); });
    SetPriority(priority);
}

void TIndThread::SetPriority(quillon::widgets::TThreadPriority priority) {
    if (!thread_.joinable())
        return;
    // Normal time-sharing threads on Linux have one static priority, so the levels between
    // idle and time-critical can only mean "normal"; the outer two map to their policies.
    sched_param param{};
    int policy = SCHED_OTHER;
    if (priority == quillon::widgets::tpIdle) {
        policy = SCHED_IDLE;
    } else if (priority == quillon::widgets::tpTimeCritical) {
        policy = SCHED_FIFO;
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    }
    // Best effort: without the right to raise it the thread keeps the normal policy.
    if (pthread_setschedparam(thread_.native_handle(), policy, &param) != 0 &&
        policy == SCHED_FIFO) {
        param.sched_priority = 0;
        pthread_setschedparam(thread_.native_handle(), SCHED_OTHER, &param);
    }
}

void TIndThread::Wait() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

TTimerThread::TTimerThread(TTickCallback onTick) : onTick_(std::move(onTick)) {}

TTimerThread::~TTimerThread() {
    Stop();
    Wait();
}

void TTimerThread::SetInterval(int ms) {
    std::lock_guard lock(mutex_);
    interval_ = ms;
}

void TTimerThread::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
}

void TTimerThread::Resume(quillon::widgets::TThreadPriority priority) {
    {
        std::lock_guard lock(mutex_);
        if (stop_)
            return;
        suspended_ = false;
    }
    wake_.notify_all();
    if (Started())
        SetPriority(priority);
    else
        Start(priority);
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

void TTimerThread::Execute() {
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
        onTick_();
        wake_.wait(lock, [this] { return stop_ || tickDone_; });
        if (stop_)
            return;
    }
}

void TTimerThread::TickDone() {
    {
        std::lock_guard lock(mutex_);
        tickDone_ = true;
    }
    wake_.notify_all();
}
