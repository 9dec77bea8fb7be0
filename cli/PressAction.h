#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "Reporter.h"

namespace quillon::cli {

// `press`: the camera keypad's press, hold and release on the session's keypad press, with
// the hold of the command. The hold runs from the moment the library accepted the press (as
// the panel's does), on a precise timer. Whatever ends the hold early (Ctrl-C) or goes wrong
// with the press, a release is still written while the port is there: a press never leaves
// a switch held.
class PressAction {
public:
    PressAction(AdapterSession& session, Reporter& reporter);
    int Run(const PressArgs& args, const FailureReport& failed);

private:
    // Waits until the release's command status is in (the keypad press settles it within
    // the time-out) and then for its reply.
    AdapterSession::Outcome AwaitRelease();

    AdapterSession& session_;
    Reporter& reporter_;
    // The release's command status as an outcome, once the keypad press has one.
    std::optional<AdapterSession::Outcome> release_;
    QElapsedTimer held_;
    double heldMs_ = 0;
};

} // namespace quillon::cli
