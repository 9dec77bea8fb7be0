#include "WatchAction.h"

#include "ExitStatus.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace quillon::cli {

using Outcome = AdapterSession::Outcome;

namespace {
constexpr double kMsPerSecond = 1000.0;
} // namespace

WatchAction::WatchAction(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {}

int WatchAction::Run(const WatchArgs& args, const FailureReport& failed) {
    notForwarded_ = AdapterSession::NotForwarded();
    reporter_.WatchStarted(session_.StartWatching());
    const QDeadlineTimer end = args.durationMs > 0
                                   ? QDeadlineTimer(args.durationMs, Qt::PreciseTimer)
                                   : QDeadlineTimer(QDeadlineTimer::Forever);
    int seen = 0;
    int status = kExitDone;
    for (;;) {
        // Printing is a watch's only purpose: once its output is gone, it is done.
        if (PrintArrived(args.count, seen) || end.hasExpired() || reporter_.OutputLost()) {
            break;
        }
        const Outcome outcome = session_.WaitForMasterWrite(end);
        if (outcome != Outcome::Done) {
            // What arrived before the stop or the loss is still worth its line.
            PrintArrived(args.count, seen);
            status = failed.Report(outcome);
            break;
        }
    }
    session_.StopWatching();
    if (reporter_.OutputLost()) {
        return reporter_.OutputStatus();
    }
    // Ended by its time before its count: a script must not take that for the writes seen.
    if (status == kExitDone && args.count > 0 && seen < args.count) {
        status = failed.Report(kExitNotSeen,
                               QStringLiteral("%1 of %2 master writes within %3 s")
                                   .arg(seen)
                                   .arg(args.count)
                                   .arg(double(args.durationMs) / kMsPerSecond),
                               {}, {{QStringLiteral("seen"), seen}});
    }
    return status;
}

int WatchAction::RunOnFeed(const WatchArgs& args, const FailureReport& failed,
                           const MasterFeed& feed) {
    reporter_.WatchStarted(QDateTime::currentDateTime());
    const QDeadlineTimer end = args.durationMs > 0
                                   ? QDeadlineTimer(args.durationMs, Qt::PreciseTimer)
                                   : QDeadlineTimer(QDeadlineTimer::Forever);
    const qint64 from = feed.Arrived();
    const auto seen = [&] {
        const qint64 arrived = feed.Arrived() - from;
        return args.count > 0 ? std::min<qint64>(arrived, args.count) : arrived;
    };
    const Outcome waited = session_.WaitFor(
        [&] { return (args.count > 0 && seen() >= args.count) || reporter_.OutputLost(); }, end,
        AdapterSession::OnStop::End);
    if (waited != Outcome::Done) {
        return failed.Report(waited);
    }
    if (reporter_.OutputLost()) {
        return reporter_.OutputStatus();
    }
    if (args.count > 0 && seen() < args.count) {
        return failed.Fail(kExitNotSeen, QStringLiteral("%1 of %2 master writes within %3 s")
                                             .arg(seen())
                                             .arg(args.count)
                                             .arg(double(args.durationMs) / 1000.0));
    }
    reporter_.WatchEnded(seen());
    return kExitDone;
}

bool WatchAction::PrintArrived(int count, int& seen) {
    auto& writes = session_.MasterWrites();
    while (!writes.empty()) {
        if (count > 0 && seen >= count) {
            return true;
        }
        const AdapterSession::MasterWrite& write = writes.front();
        if (write.notForwarded != notForwarded_) {
            notForwarded_ = write.notForwarded;
            reporter_.NotForwarded(notForwarded_);
        }
        reporter_.MasterWrite(write.at, write.msSinceStart, write.bytes, write.port);
        writes.pop_front();
        ++seen;
    }
    return count > 0 && seen >= count;
}

} // namespace quillon::cli
