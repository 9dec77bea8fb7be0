#pragma once

#include "_GClassTypes.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

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

// Sleeps for the interval, then calls its tick callback on its own thread and waits until
// the owner reports the tick done. The callback is where the owner hands the tick over to
// the thread it wants it run on; what runs there is none of this thread's business. Every
// wait also ends on a stop request, so whoever stops the thread can wait for it without risk.
class TTimerThread : public TIndThread {
public:
    using TTickCallback = std::function<void()>;

    explicit TTimerThread(TTickCallback onTick);
    ~TTimerThread() override;

    void SetInterval(int ms);
    void Suspend();
    void Resume(quillon::widgets::TThreadPriority priority);
    void Stop();
    bool IsTicking() const;
    // Releases the thread waiting on the tick it handed over, so that it sleeps for the next.
    void TickDone();

protected:
    void Execute() override;

private:
    const TTickCallback onTick_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int interval_ = 16;
    bool suspended_ = true;
    bool stop_ = false;
    bool tickDone_ = false;
};
