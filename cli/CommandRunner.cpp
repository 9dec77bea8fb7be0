#include "CommandRunner.h"

#include "ExitStatus.h"
#include "OutcomeText.h"
#include "PressAction.h"
#include "WatchAction.h"

using Outcome = AdapterSession::Outcome;

int ReportFailure(AdapterSession& session, Reporter& reporter, Outcome outcome,
                  const Command& command, const QString& origin, const QString& step) {
    if (outcome == Outcome::Stopped) {
        return session.StopStatus();
    }
    const Failure failure = Describe(outcome, session.TimeOutMs());
    QString message = command.text;
    if (!step.isEmpty()) {
        message += QStringLiteral(" (%1)").arg(step);
    }
    message += QStringLiteral(": ") + failure.reason;
    if (!origin.isEmpty()) {
        message.prepend(origin + QStringLiteral(": "));
    }
    reporter.Error(failure.exitStatus, message);
    return failure.exitStatus;
}

CommandRunner::CommandRunner(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {}

int CommandRunner::Run(const Command& command, const QString& origin) {
    if (session_.StopStatus() != 0) {
        return session_.StopStatus();
    }
    switch (command.kind) {
    case CommandKind::Version:
        return Version();
    case CommandKind::Write:
        return Write(command, origin);
    case CommandKind::Address:
        return Address(command, origin);
    case CommandKind::AddressSet:
        return AddressSet(command, origin);
    case CommandKind::Press:
        return PressAction(session_, reporter_).Run(command, origin);
    case CommandKind::Watch:
        return WatchAction(session_, reporter_).Run(command, origin);
    case CommandKind::Run:
        return Script(command);
    }
    return kExitUsage;
}

// The adapter tells its version only in answer to the opening check, so this is the text
// the session received when it opened the port.
int CommandRunner::Version() {
    reporter_.Version(session_.VersionText());
    return kExitDone;
}

int CommandRunner::Write(const Command& command, const QString& origin) {
    const Outcome outcome = session_.Write(command.bytes, command.intType);
    if (outcome != Outcome::Done) {
        return ReportFailure(session_, reporter_, outcome, command, origin);
    }
    reporter_.Written(command.bytes, command.intType);
    return kExitDone;
}

int CommandRunner::Address(const Command& command, const QString& origin) {
    uint8_t address = 0;
    const Outcome outcome = session_.ReadAddress(address);
    if (outcome != Outcome::Done) {
        return ReportFailure(session_, reporter_, outcome, command, origin);
    }
    reporter_.AddressRead(address);
    return kExitDone;
}

int CommandRunner::AddressSet(const Command& command, const QString& origin) {
    Outcome outcome = session_.ChangeAddress(command.address);
    if (outcome != Outcome::Done) {
        return ReportFailure(session_, reporter_, outcome, command, origin,
                             QStringLiteral("change"));
    }
    reporter_.AddressChanged(command.address);
    if (command.save == SaveAddress::No) {
        return kExitDone;
    }
    outcome = session_.SaveAddress();
    if (outcome != Outcome::Done) {
        return ReportFailure(session_, reporter_, outcome, command, origin, QStringLiteral("save"));
    }
    reporter_.AddressSaved(command.address);
    return kExitDone;
}

int CommandRunner::Script(const Command& command) {
    int firstFailure = kExitDone;
    for (const ScriptLine& line : command.script) {
        const int status = Run(line.command, line.origin);
        if (status == kExitDone) {
            continue;
        }
        if (session_.StopStatus() != 0) {
            return session_.StopStatus();
        }
        if (firstFailure == kExitDone) {
            firstFailure = status;
        }
        // Without the port no later line can succeed, whatever --keep-going says.
        if (command.onFailure == OnFailure::Stop || status == kExitPortFailure) {
            break;
        }
    }
    return firstFailure;
}
