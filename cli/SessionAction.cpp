#include "SessionAction.h"

#include "ExitStatus.h"
#include "LineTally.h"
#include "ScriptReader.h"
#include "SessionInput.h"
#include "TerminalText.h"

#include <QDeadlineTimer>

#include <unistd.h>

namespace quillon::cli {

using Outcome = AdapterSession::Outcome;

namespace {

const QString kInputName = QStringLiteral("stdin");

} // namespace

SessionAction::SessionAction(AdapterSession& session, Reporter& reporter, LineRunner runLine)
    : session_(session), reporter_(reporter), runLine_(std::move(runLine)) {}

int SessionAction::Run(const SessionArgs& args, const FailureReport& failed) {
    SessionInput input(STDIN_FILENO);
    QObject::connect(&input, &SessionInput::Arrived, &session_, [this] { session_.Wake(); });
    LineTally tally(session_, args.onFailure);
    for (;;) {
        const Outcome waited =
            session_.WaitFor([&] { return input.Ready() || reporter_.OutputLost(); },
                             QDeadlineTimer(QDeadlineTimer::Forever), AdapterSession::OnStop::End);
        if (waited != Outcome::Done) {
            const int status = failed.Report(waited);
            return tally.Status() != kExitDone ? tally.Status() : status;
        }
        // Nobody reads the results of further lines: none starts.
        if (reporter_.OutputLost()) {
            return reporter_.OutputStatus();
        }
        const std::optional<LineSplitter::Line> row = input.Take();
        if (!row) {
            break;
        }
        const QString origin = QStringLiteral("%1:%2").arg(kInputName).arg(row->number);
        int status = kExitDone;
        std::optional<ScriptLine> line;
        if (row->tooLong) {
            status = kExitUsage;
            reporter_.Error(status, ScriptReader::TooLong(origin));
        } else if (const auto problem =
                       ScriptReader::ParseLine(origin, TerminalText::FromBytes(row->text),
                                               ScriptReader::Context::Session, line)) {
            status = kExitUsage;
            reporter_.Error(status, *problem);
        } else if (line) {
            status = runLine_(line->command, line->origin);
        }
        if (!tally.Take(status)) {
            return tally.Status();
        }
    }
    if (input.Error()) {
        const int status = failed.Fail(
            kExitNoInput, QStringLiteral("cannot read %1: %2").arg(kInputName, *input.Error()));
        return tally.Status() != kExitDone ? tally.Status() : status;
    }
    return tally.Status();
}

} // namespace quillon::cli
