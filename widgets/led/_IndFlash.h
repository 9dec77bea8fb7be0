#pragma once

#include "_GClassTypes.h"

#include <QObject>

#include <memory>

class TTimerThread;

// A clock whose ticks come from its own thread but run on the UI thread, one at a time:
// the thread hands each tick over and waits until the UI thread has run it.
class TIndFlash : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(quillon::widgets::TThreadPriority ThreadPriority READ ThreadPriority WRITE
                   setThreadPriority)
public:
    using enum quillon::widgets::TThreadPriority;
    using TThreadPriority = quillon::widgets::TThreadPriority;

    explicit TIndFlash(QObject* owner = nullptr);
    // Stops the thread and waits for it; safe while the thread is handing over a tick.
    ~TIndFlash() override;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    TThreadPriority ThreadPriority() const { return priority_; }
    void setThreadPriority(TThreadPriority value);
    int Interval() const { return interval_; }

    // The tick handler runs on the UI thread for every tick while the clock is enabled.
    void SetOnTimer(TNotifyEvent handler);
    bool HasOnTimer() const { return static_cast<bool>(onTimer_); }
    // True while the clock's thread is allowed to tick.
    bool Running() const;

    // One tick as the UI thread runs it.
    void DoTimer();

private:
    void UpdateTimer();
    // Where the thread's hand-over lands on the UI thread. Invoked by name: the queued call
    // then carries no data of the thread's own, everything it shares goes under its mutex.
    Q_INVOKABLE void ThreadTick();

    bool enabled_ = true;
    int interval_ = 16;
    TNotifyEvent onTimer_;
    TThreadPriority priority_ = tpNormal;
    bool destroying_ = false;
    std::unique_ptr<TTimerThread> thread_;
};
