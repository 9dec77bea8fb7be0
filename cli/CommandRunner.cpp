#include "CommandRunner.h"

#include "ExitStatus.h"
#include "ExpectAction.h"
#include "LineTally.h"
#include "PacingText.h"
#include "PressAction.h"
#include "SessionAction.h"
#include "ValueText.h"
#include "WatchAction.h"

namespace quillon::cli {

using Outcome = AdapterSession::Outcome;

CommandRunner::CommandRunner(AdapterSession& session, Reporter& reporter, MasterFeed& feed)
    : session_(session), reporter_(reporter), feed_(feed) {}

int CommandRunner::Run(const Command& command, const QString& origin) {
    if (session_.StopStatus() != 0) {
        return session_.StopStatus();
    }
    const FailureReport failed(session_, reporter_, command.text, origin);
    return std::visit([&](const auto& args) { return Run(args, failed); }, command.args);
}

// The adapter tells its version only in answer to the opening check, so this is the text
// the session received when it opened the port.
int CommandRunner::Run(const VersionArgs&, const FailureReport&) {
    reporter_.Version(session_.VersionText());
    return kExitDone;
}

int CommandRunner::Run(const WriteArgs& args, const FailureReport& failed) {
    const Outcome outcome = session_.Write(args.bytes, args.intType);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome);
    }
    reporter_.Written(args.bytes, args.intType);
    return kExitDone;
}

int CommandRunner::Run(const AddressArgs&, const FailureReport& failed) {
    uint8_t address = 0;
    const Outcome outcome = session_.ReadAddress(address);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome);
    }
    reporter_.AddressRead(address);
    return kExitDone;
}

int CommandRunner::Run(const AddressSetArgs& args, const FailureReport& failed) {
    uint8_t confirmed = 0;
    Outcome outcome = session_.ChangeAddress(args.address, confirmed);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome, QStringLiteral("change"));
    }
    reporter_.AddressChanged(confirmed);
    if (confirmed != args.address) {
        return OtherAddress(failed, {}, "confirmed", confirmed, args.address);
    }
    if (args.save == SaveAddress::No) {
        return kExitDone;
    }
    outcome = session_.SaveAddress(confirmed);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome, QStringLiteral("save"));
    }
    reporter_.AddressSaved(confirmed);
    if (confirmed != args.address) {
        return OtherAddress(failed, QStringLiteral("save"), "saved", confirmed, args.address);
    }
    return kExitDone;
}

// The adapter took another address than asked (it refused the one asked for, or it is
// faulty): what it reported is printed as it is, and the run fails naming both.
int CommandRunner::OtherAddress(const FailureReport& failed, const QString& step, const char* verb,
                                uint8_t confirmed, uint8_t asked) {
    return failed.Report(kExitPortFailure,
                         QStringLiteral("the adapter %1 %2, not %3")
                             .arg(QLatin1String(verb), Hex2(confirmed), Hex2(asked)),
                         step, {{QStringLiteral("confirmed"), confirmed}});
}

int CommandRunner::Run(const PressArgs& args, const FailureReport& failed) {
    return PressAction(session_, reporter_).Run(args, failed);
}

int CommandRunner::Run(const WatchArgs& args, const FailureReport& failed) {
    WatchAction watch(session_, reporter_);
    // In a session the feed already reports every write as it comes.
    return feed_.IsLive() ? watch.RunOnFeed(args, failed, feed_) : watch.Run(args, failed);
}

int CommandRunner::Run(const StatsArgs&, const FailureReport& failed) {
    AdapterSession::Counters counters{};
    const Outcome outcome = session_.ReadCounters(counters);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome);
    }
    reporter_.Counters(counters);
    return kExitDone;
}

int CommandRunner::Run(const PacingArgs& args, const FailureReport& failed) {
    uint8_t inEffect = 0;
    const Outcome outcome = session_.Pacing(args.request, inEffect);
    if (outcome != Outcome::Done) {
        return failed.Report(outcome);
    }
    reporter_.Pacing(inEffect);
    if (args.request != VANTREL_PACING_ASK && inEffect != args.request) {
        return failed.Report(kExitPortFailure,
                             QStringLiteral("the adapter confirmed pacing %1, not %2")
                                 .arg(PacingName(inEffect), PacingName(args.request)),
                             {}, {{QStringLiteral("confirmed"), PacingName(inEffect)}});
    }
    return kExitDone;
}

int CommandRunner::Run(const RunArgs& args, const FailureReport&) {
    LineTally tally(session_, args.onFailure);
    for (const ScriptLine& line : args.script) {
        // Nobody reads the results of further lines: none starts.
        if (reporter_.OutputLost()) {
            return reporter_.OutputStatus();
        }
        if (!tally.Take(Run(line.command, line.origin))) {
            break;
        }
    }
    return tally.Status();
}

int CommandRunner::Run(const SessionArgs& args, const FailureReport& failed) {
    const auto runLine = [this](const Command& command, const QString& origin) {
        return Run(command, origin);
    };
    return SessionAction(session_, reporter_, runLine).Run(args, failed);
}

int CommandRunner::Run(const ExpectArgs& args, const FailureReport& failed) {
    return ExpectAction(session_, reporter_, feed_).Run(args, failed);
}

} // namespace quillon::cli
