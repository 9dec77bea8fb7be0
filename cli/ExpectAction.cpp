#include "ExpectAction.h"

#include "ExitStatus.h"
#include "ValueText.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <optional>

namespace quillon::cli {

using Outcome = AdapterSession::Outcome;

ExpectAction::ExpectAction(AdapterSession& session, Reporter& reporter, MasterFeed& feed)
    : session_(session), reporter_(reporter), feed_(feed) {}

int ExpectAction::Run(const ExpectArgs& args, const FailureReport& failed) {
    const qint64 startedMs = feed_.ElapsedMs();
    const int withinMs = args.withinMs > 0 ? args.withinMs : int{session_.TimeOutMs()};
    std::optional<qint64> arrivedMs;
    const Outcome waited = session_.WaitFor(
        [&] {
            arrivedMs = feed_.TakeMatch(args.bytes);
            return arrivedMs.has_value();
        },
        QDeadlineTimer(withinMs, Qt::PreciseTimer), AdapterSession::OnStop::End);
    if (arrivedMs) {
        reporter_.Expected(args.bytes, std::max<qint64>(0, *arrivedMs - startedMs));
        return kExitDone;
    }
    if (waited != Outcome::Done) {
        return failed.Report(waited);
    }
    // The next expect looks only at what comes after this one gave up.
    feed_.PassOver();
    return failed.Fail(
        kExitNotSeen,
        QStringLiteral("no master write %1 within %2 ms").arg(HexList(args.bytes)).arg(withinMs));
}

} // namespace quillon::cli
