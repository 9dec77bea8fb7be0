#include "WatchAction.h"

#include "CommandRunner.h"
#include "ExitStatus.h"

#include <QDeadlineTimer>

using Outcome = AdapterSession::Outcome;

WatchAction::WatchAction(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {}

int WatchAction::Run(const Command& command, const QString& origin) {
    reporter_.WatchStarted(session_.StartWatching());
    const QDeadlineTimer end = command.durationMs > 0
                                   ? QDeadlineTimer(command.durationMs, Qt::PreciseTimer)
                                   : QDeadlineTimer(QDeadlineTimer::Forever);
    int seen = 0;
    int status = kExitDone;
    for (;;) {
        if (PrintArrived(command.count, seen) || end.hasExpired()) {
            break;
        }
        const Outcome outcome = session_.WaitForMasterWrite(end);
        if (outcome != Outcome::Done) {
            // What arrived before the stop or the loss is still worth its line.
            PrintArrived(command.count, seen);
            status = ReportFailure(session_, reporter_, outcome, command, origin);
            break;
        }
    }
    session_.StopWatching();
    return status;
}

bool WatchAction::PrintArrived(int count, int& seen) {
    auto& writes = session_.MasterWrites();
    while (!writes.empty()) {
        if (count > 0 && seen >= count) {
            return true;
        }
        const AdapterSession::MasterWrite& write = writes.front();
        reporter_.MasterWrite(write.at, write.msSinceStart, write.bytes, write.port);
        writes.pop_front();
        ++seen;
    }
    return count > 0 && seen >= count;
}
