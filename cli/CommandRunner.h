#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "MasterFeed.h"
#include "Reporter.h"

namespace quillon::cli {

// Runs checked commands on an open session and reports their results. Each run returns the
// exit status of that command; a failure has been reported when it returns.
class CommandRunner {
public:
    // feed holds the master writes from the opening on, for expect and a session.
    CommandRunner(AdapterSession& session, Reporter& reporter, MasterFeed& feed);

    // origin names the script line the command came from ("rig.txt:7"), empty on the
    // command line.
    int Run(const Command& command, const QString& origin = {});

private:
    int Run(const VersionArgs& args, const FailureReport& failed);
    int Run(const WriteArgs& args, const FailureReport& failed);
    int Run(const AddressArgs& args, const FailureReport& failed);
    int Run(const AddressSetArgs& args, const FailureReport& failed);
    int Run(const PressArgs& args, const FailureReport& failed);
    int Run(const WatchArgs& args, const FailureReport& failed);
    int Run(const StatsArgs& args, const FailureReport& failed);
    int Run(const PacingArgs& args, const FailureReport& failed);
    int Run(const RunArgs& args, const FailureReport& failed);
    int Run(const SessionArgs& args, const FailureReport& failed);
    int Run(const ExpectArgs& args, const FailureReport& failed);

    AdapterSession& session_;
    Reporter& reporter_;
    MasterFeed& feed_;
};

} // namespace quillon::cli
