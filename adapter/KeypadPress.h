#pragma once

#include "Vantrel.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>

namespace quillon::adapter {

// A press of the camera keypad, as every user of the component makes it: the switches'
// pattern is written with interrupt 1, held, then the release is written with interrupt 1.
// The camera unit reads its switches only on that interrupt, so a release that never goes
// out leaves them pressed for good. A release the link refuses as busy with an earlier
// command is therefore owed: tried again on each notification of the component (any of
// them may mean the link is free), once more when the component's time-out has passed since
// the refusal, and only then given up as busy. A port found closed ends it at once; a later
// port write that goes through settles it too, since the port holds what was written last.
//
// The object takes the component's notifications by wrapping its event slots when it is
// made, so the owner sets its own handlers first; the owed release is tried before the
// owner's handler runs, so that a handler's modal box cannot hold it up.
class KeypadPress final : public QObject {
    Q_OBJECT
public:
    // Who ends the hold when the hold timer fires: the press itself, or an owner that has a
    // handler of its own on the timer and calls Release() from it.
    enum class HoldEnd { ReleasesItself, OwnerReleases };

    explicit KeypadPress(TVantrel& vantrel, QObject* parent = nullptr,
                         HoldEnd holdEnd = HoldEnd::ReleasesItself);

    // The timer that ends the hold; its interval is the hold.
    QTimer& HoldTimer() { return hold_; }
    void SetHold(std::chrono::milliseconds hold);

    // Writes the pattern and returns its command status. The hold starts with the first
    // press, taken or not; a press while holding leaves the release where it is.
    uint8_t Press(uint8_t pattern);
    // Ends the hold now and writes the release.
    void Release();
    // A press that never went out holds nothing: no release follows it.
    void Abandon();

    bool IsHolding() const { return hold_.isActive(); }
    bool ReleaseOwed() const { return owed_; }

    // The link may be free again: an owed release is tried now.
    void LinkMayBeFree();
    // Another port write went through or found the port closed: nothing is owed any more.
    void Forget();

    // For an owner that goes away: holds the switches their full time, releases them and
    // waits, without dispatching any event, until the release goes out or the time-out
    // runs out. The adapter library's own thread frees the link meanwhile.
    void Settle();

signals:
    // About to write a pattern, the press's or the release's.
    void writing(uint8_t pattern);
    // The release's final command status: sent, port closed, or busy to the end.
    void released(uint8_t status);

private:
    void WrapNotifications();
    uint8_t Write(uint8_t pattern);
    void Finish(uint8_t status);

    TVantrel& vantrel_;
    QTimer hold_;
    std::chrono::steady_clock::time_point releaseDue_;
    bool owed_ = false;
    QDeadlineTimer giveUp_;
    QTimer lastTry_;
};

} // namespace quillon::adapter
