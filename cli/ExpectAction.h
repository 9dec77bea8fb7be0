#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "MasterFeed.h"
#include "Reporter.h"

namespace quillon::cli {

// `expect`: waits for a master write of exactly the given bytes among those that came since
// the previous expect ended (or the port opened), passing over the writes before it. The
// answer of a device under test to the command before is often there already.
class ExpectAction {
public:
    ExpectAction(AdapterSession& session, Reporter& reporter, MasterFeed& feed);
    int Run(const ExpectArgs& args, const FailureReport& failed);

private:
    AdapterSession& session_;
    Reporter& reporter_;
    MasterFeed& feed_;
};

} // namespace quillon::cli
