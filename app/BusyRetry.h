#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>

// A write that the adapter refused because the link was busy with an earlier command, owed
// until the link takes it, for a bounded time. It is tried again whenever the link may have
// become free and once more when the time is up; its outcome then goes to the report, be it
// sent, port closed, or still busy at the end. Only "busy" is tried again.
class TBusyRetry : public QObject {
    Q_OBJECT
public:
    using TAttempt = std::function<uint8_t()>; // writes, returns the command status
    using TReport = std::function<void(uint8_t status)>;

    TBusyRetry(TAttempt attempt, TReport report, QObject* parent = nullptr);

    // The write was refused as busy just now: owe it for at most `bound` from now.
    void Owe(std::chrono::milliseconds bound);
    bool IsOwed() const { return owed_; }
    // The link may be free again (a command ended, or the port changed): try now.
    void LinkMayBeFree();
    // A later write took the port over, or found it closed: nothing is owed any more.
    void Forget();
    // For a window that goes away: keeps trying, without running any handler, until the
    // write goes out or the bound runs out. The adapter library's own thread frees the
    // link meanwhile, so no event needs to be handled for it.
    void Settle();

private:
    void Finish(uint8_t status);

    TAttempt attempt_;
    TReport report_;
    bool owed_ = false;
    QDeadlineTimer deadline_;
    QTimer lastTry_;
};
