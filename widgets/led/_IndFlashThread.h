#pragma once

#include "_GClassTypes.h"

#include <condition_variable>
#include <mutex>
#include <thread>

class TIndFlash;

// A plain thread with a priority, started on demand. Built on std::thread so that every
// hand-over between it and the UI thread goes through primitives a race checker can see.
class TIndThread {
public:
    TIndThread() = default;
    // Derived classes stop their loop and call Wait() before they go.
    virtual ~TIndThread();
    TIndThread(const TIndThread&) = delete;
    TIndThread& operator=(const TIndThread&) = delete;

    void Start(quillon::widgets::TThreadPriority priority);
    bool Started() const { return thread_.joinable(); }
    void SetPriority(quillon::widgets::TThreadPriority priority);
    void Wait();

protected:
    virtual void Execute() = 0;

private:
    std::thread thread_;
};

// Sleeps for the interval, then hands a tick to the clock's thread and waits until it has
// run there. Every wait also ends on a stop request, so whoever stops the thread can wait
// for it without risk.
class TTimerThread : public TIndThread {
public:
    explicit TTimerThread(TIndFlash* clock);
    ~TTimerThread() override;

    void SetInterval(int ms);
    void Suspend();
    void Resume(quillon::widgets::TThreadPriority priority);
    void Stop();
    bool IsTicking() const;
    // Runs one handed-over tick on the UI thread and releases the waiting thread; a tick
    // handler's exception goes to the application's error report.
    void DeliverTick();

protected:
    void Execute() override;

private:
    void FinishHandOver();

    TIndFlash* const clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int interval_ = 16;
    bool suspended_ = true;
    bool stop_ = false;
    bool tickDone_ = false;
};
