#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "Reporter.h"

#include <functional>

namespace quillon::cli {

// `session`: runs command lines from standard input as they arrive, on the port opened
// once, until the input ends. Each line is parsed and run on its own: a bad line sends
// nothing of itself, and the lines before it have already run. The master writes are
// reported as they come by the runner's feed, between and during the commands.
class SessionAction {
public:
    // Runs one line's command, named by its origin ("stdin:3"), and gives its exit status.
    using LineRunner = std::function<int(const Command& command, const QString& origin)>;

    SessionAction(AdapterSession& session, Reporter& reporter, LineRunner runLine);
    int Run(const SessionArgs& args, const FailureReport& failed);

private:
    AdapterSession& session_;
    Reporter& reporter_;
    const LineRunner runLine_;
};

} // namespace quillon::cli
