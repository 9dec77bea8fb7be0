#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "Reporter.h"

namespace quillon::cli {

class CommandRunner;

// `session`: runs command lines from standard input as they arrive, on the port opened
// once, until the input ends. Each line is parsed and run on its own: a bad line sends
// nothing of itself, and the lines before it have already run. The master writes are
// reported as they come by the runner's feed, between and during the commands.
class SessionAction {
public:
    SessionAction(AdapterSession& session, Reporter& reporter, CommandRunner& runner);
    int Run(const SessionArgs& args, const FailureReport& failed);

private:
    AdapterSession& session_;
    Reporter& reporter_;
    CommandRunner& runner_;
};

} // namespace quillon::cli
