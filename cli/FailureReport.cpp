#include "FailureReport.h"

#include "OutcomeText.h"

namespace quillon::cli {

FailureReport::FailureReport(AdapterSession& session, Reporter& reporter, QString text,
                             QString origin)
    : session_(session), reporter_(reporter), text_(std::move(text)), origin_(std::move(origin)) {}

int FailureReport::Report(AdapterSession::Outcome outcome, const QString& step) const {
    if (outcome == AdapterSession::Outcome::Stopped) {
        return session_.StopStatus();
    }
    const Failure failure = Describe(outcome, session_.TimeOutMs());
    QString message = text_;
    if (!step.isEmpty()) {
        message += QStringLiteral(" (%1)").arg(step);
    }
    message += QStringLiteral(": ") + failure.reason;
    if (!origin_.isEmpty()) {
        message.prepend(origin_ + QStringLiteral(": "));
    }
    reporter_.Error(failure.exitStatus, message);
    return failure.exitStatus;
}

int FailureReport::Fail(int exitStatus, const QString& reason) const {
    QString message = text_ + QStringLiteral(": ") + reason;
    if (!origin_.isEmpty()) {
        message.prepend(origin_ + QStringLiteral(": "));
    }
    reporter_.Error(exitStatus, message);
    return exitStatus;
}

} // namespace quillon::cli
