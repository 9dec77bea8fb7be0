#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "Reporter.h"

// Runs checked commands on an open session and reports their results. Each run returns the
// exit status of that command; a failure has been reported when it returns.
class CommandRunner {
public:
    CommandRunner(AdapterSession& session, Reporter& reporter);

    // origin names the script line the command came from ("rig.txt:7"), empty on the
    // command line.
    int Run(const Command& command, const QString& origin = {});

private:
    int Version();
    int Write(const Command& command, const QString& origin);
    int Address(const Command& command, const QString& origin);
    int AddressSet(const Command& command, const QString& origin);
    int Script(const Command& command);

    AdapterSession& session_;
    Reporter& reporter_;
};

// Reports a failed outcome of the command (with what it was doing, e.g. "release") and
// returns the exit status it stands for. A stop request ends quietly with its own status.
int ReportFailure(AdapterSession& session, Reporter& reporter, AdapterSession::Outcome outcome,
                  const Command& command, const QString& origin, const QString& step = {});
