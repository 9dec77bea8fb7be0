#include "PressAction.h"

#include "CommandRunner.h"
#include "ExitStatus.h"
#include "adapter/KeypadSwitches.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

using Outcome = AdapterSession::Outcome;
using OnStop = AdapterSession::OnStop;

PressAction::PressAction(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {}

int PressAction::Run(const Command& command, const QString& origin) {
    const uint8_t pattern = command.pattern;
    const Outcome issued = session_.IssueWrite(std::span(&pattern, 1), VANTREL_INT_LINE1);
    QElapsedTimer held;
    held.start();
    if (issued != Outcome::Done) {
        // Nothing went out, so nothing is pressed.
        return ReportFailure(session_, reporter_, issued, command, origin, QStringLiteral("press"));
    }
    const QDeadlineTimer releaseAt(command.holdMs, Qt::PreciseTimer);

    Outcome pressed = session_.AwaitReply(OnStop::End);
    if (pressed == Outcome::Stopped) {
        // The release can only follow once the press is answered.
        pressed = session_.AwaitReply(OnStop::Continue);
    }
    if (pressed == Outcome::Lost || pressed == Outcome::PortClosed) {
        return ReportFailure(session_, reporter_, pressed, command, origin,
                             QStringLiteral("press"));
    }
    if (pressed == Outcome::Done) {
        reporter_.Pressed(command.switchNames, pattern);
        const Outcome waited = session_.WaitUntil(releaseAt, OnStop::End);
        if (waited == Outcome::Lost) {
            return ReportFailure(session_, reporter_, waited, command, origin,
                                 QStringLiteral("hold"));
        }
    }
    // A press without its confirmation may still have reached the adapter: release anyway.
    double heldMs = 0;
    const Outcome released = Release(heldMs, held);
    if (released == Outcome::Done) {
        reporter_.Released(command.switchNames, quillon::adapter::kReleased, heldMs);
    }
    if (pressed != Outcome::Done) {
        return ReportFailure(session_, reporter_, pressed, command, origin,
                             QStringLiteral("press"));
    }
    if (released != Outcome::Done) {
        return ReportFailure(session_, reporter_, released, command, origin,
                             QStringLiteral("release; switches may still be held"));
    }
    return session_.StopStatus() != 0 ? session_.StopStatus() : int{kExitDone};
}

Outcome PressAction::Release(double& heldMs, const QElapsedTimer& held) {
    const uint8_t release = quillon::adapter::kReleased;
    const QDeadlineTimer giveUp(session_.TimeOutMs());
    for (;;) {
        const Outcome issued = session_.IssueWrite(std::span(&release, 1), VANTREL_INT_LINE1);
        if (issued == Outcome::Done) {
            heldMs = double(held.nsecsElapsed()) / 1e6;
            return session_.AwaitReply(OnStop::Continue);
        }
        if (issued != Outcome::Busy || giveUp.hasExpired()) {
            return issued;
        }
        session_.WaitUntil(QDeadlineTimer(kBusyRetryMs, Qt::PreciseTimer), OnStop::Continue);
    }
}
