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
    return Report(failure.exitStatus, failure.reason, step);
}

int FailureReport::Report(int exitStatus, const QString& reason, const QString& step,
                          const QJsonObject& extra) const {
    QString message = text_;
    if (!step.isEmpty()) {
        message += QStringLiteral(" (%1)").arg(step);
    }
    message += QStringLiteral(": ") + reason;
    if (!origin_.isEmpty()) {
        message.prepend(origin_ + QStringLiteral(": "));
    }
    reporter_.Error(exitStatus, message, extra);
    return exitStatus;
}

int FailureReport::Fail(int exitStatus, const QString& reason) const {
    return Report(exitStatus, reason, {});
}

} // namespace quillon::cli
