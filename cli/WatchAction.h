#pragma once

#include "AdapterSession.h"
#include "Command.h"
#include "FailureReport.h"
#include "MasterFeed.h"
#include "Reporter.h"

namespace quillon::cli {

// `watch`: prints every master write as it arrives, stamped with the local wall-clock time
// and the milliseconds since the watch started, until the count is reached, the time is up,
// Ctrl-C, or the port closes under us. Before a write after which the adapter's count of
// writes it could not forward has grown, it says so: the gap lies just before that write.
class WatchAction {
public:
    WatchAction(AdapterSession& session, Reporter& reporter);
    int Run(const WatchArgs& args, const FailureReport& failed);
    // In a session, whose feed prints each write as it comes: counts them, prints no write
    // twice, and says when the watch ended.
    int RunOnFeed(const WatchArgs& args, const FailureReport& failed, const MasterFeed& feed);

private:
    // Prints what has arrived; true once the count is reached.
    bool PrintArrived(int count, int& seen);

    AdapterSession& session_;
    Reporter& reporter_;
    // The not-forwarded count last printed, or found when the watch started.
    uint32_t notForwarded_ = 0;
};

} // namespace quillon::cli
