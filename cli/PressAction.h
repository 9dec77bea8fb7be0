#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "Reporter.h"

// `press`: writes the switches' pattern with interrupt 1, holds it, writes the release
// pattern with interrupt 1, as the camera keypad does. The hold runs from the moment the
// library accepted the press (as the panel arms its timer at the press), on a precise
// timer. Whatever ends the hold early (Ctrl-C) or goes wrong with the press, a release is
// still written while the port is there: a press never leaves a switch held.
class PressAction {
public:
    PressAction(AdapterSession& session, Reporter& reporter);
    int Run(const Command& command, const QString& origin);

    // How often a release the library turns away as busy is tried again.
    static constexpr int kBusyRetryMs = 5;

private:
    AdapterSession::Outcome Release(double& heldMs, const QElapsedTimer& held);

    AdapterSession& session_;
    Reporter& reporter_;
};
