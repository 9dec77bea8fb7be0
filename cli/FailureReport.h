#pragma once

#include "AdapterSession.h"
#include "Reporter.h"

#include <QString>

namespace quillon::cli {

// How one command reports a failed outcome: with the command as written, its script line
// and what it was doing, on one line. Report returns the exit status the outcome stands
// for; a stop request ends quietly with its own status.
class FailureReport {
public:
    // text is the command as written; origin names its script line ("rig.txt:7"), empty on
    // the command line.
    FailureReport(AdapterSession& session, Reporter& reporter, QString text, QString origin);

    // step says what the command was doing, e.g. "release"; empty when it did one thing.
    int Report(AdapterSession::Outcome outcome, const QString& step = {}) const;
    // A failure that is no outcome of the adapter's (an expected write that did not come):
    // reported with this status and reason.
    int Fail(int exitStatus, const QString& reason) const;

private:
    AdapterSession& session_;
    Reporter& reporter_;
    const QString text_;
    const QString origin_;
};

} // namespace quillon::cli
