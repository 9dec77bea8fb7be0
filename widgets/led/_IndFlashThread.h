#pragma once

#include <QThread>

#include <condition_variable>
#include <mutex>

class TIndFlash;

// The toolkit thread as the indicator units know it.
class TIndThread : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;
};

// Sleeps for the interval, then hands a tick to the clock's thread and waits until it has
// run there. Every wait also ends on a stop request, so whoever stops the thread can wait
// for it without risk.
class TTimerThread : public TIndThread {
    Q_OBJECT
public:
    explicit TTimerThread(TIndFlash* clock);
    ~TTimerThread() override;

    void SetInterval(int ms);
    void Suspend();
    void Resume(QThread::Priority priority);
    void Stop();
    bool IsTicking() const;

protected:
    void run() override;

private:
    void DeliverTick();

    TIndFlash* const clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int interval_ = 16;
    bool suspended_ = true;
    bool stop_ = false;
    bool tickDone_ = false;
};
