#include "CliProgram.h"

#include "AdapterSession.h"
#include "Command.h"
#include "CommandParser.h"
#include "CommandRunner.h"
#include "ExitStatus.h"
#include "GlobalOptions.h"
#include "MasterFeed.h"
#include "OutOfMemory.h"
#include "ScriptReader.h"
#include "SignalWatcher.h"
#include "vantrel32/Vantrel32.h"

#include <QJsonObject>
#include <QtGlobal>

#include <csignal>
#include <dlfcn.h>

namespace quillon::cli {

CliProgram::CliProgram(StandardOutput output) : output_(output) {
    quillon::platform::ErrorReport::Install(this);
}

CliProgram::~CliProgram() {
    quillon::platform::ErrorReport::Remove(this);
}

int CliProgram::Run(const QStringList& args) {
    const int status = RunCommand(args);
    // Once, after the command: a failure on every line of a long watch is still one fault.
    reporter_->ReportOutputFailure();
    // A signal or a fault of the tool says more than the output that failed meanwhile;
    // otherwise results that never reached their reader make the run a failure, whatever
    // the command itself did.
    if (status >= kExitSignalBase || status == kExitInternal) {
        return status;
    }
    return reporter_->OutputStatus() != kExitDone ? reporter_->OutputStatus() : status;
}

int CliProgram::RunCommand(const QStringList& args) {
    Invocation invocation;
    const std::optional<QString> badOption = GlobalOptions::Parse(args, invocation);
    reporter_ = std::make_unique<Reporter>(invocation.format);
    if (output_ == StandardOutput::Closed) {
        reporter_->MarkOutputClosed();
    }
    if (badOption) {
        reporter_->Error(kExitUsage, *badOption);
        return kExitUsage;
    }
    if (invocation.action == Invocation::Action::Help) {
        reporter_->Plain(HelpText());
        return kExitDone;
    }
    if (invocation.action == Invocation::Action::ShowVersion) {
        reporter_->Plain(VersionText());
        return kExitDone;
    }
    Command command;
    if (const auto problem =
            CommandParser::Parse(invocation.commandWords, command, GlobalOptions::Names())) {
        reporter_->Error(kExitUsage, *problem);
        return kExitUsage;
    }
    if (auto* run = std::get_if<RunArgs>(&command.args)) {
        if (const auto problem = ScriptReader::Read(run->file, run->script)) {
            reporter_->Error(problem->exitStatus, problem->message);
            return problem->exitStatus;
        }
    }
    if (invocation.target.kind == Target::Kind::None) {
        reporter_->Error(kExitUsage, QStringLiteral("no adapter named: give -d DEVICE or -p N"));
        return kExitUsage;
    }
    return Execute(invocation, command);
}

int CliProgram::Execute(const Invocation& invocation, const Command& command) {
    if (const auto problem = AdapterSession::DeviceProblem(invocation.target)) {
        reporter_->Error(kExitPortFailure, *problem);
        return kExitPortFailure;
    }
    // A reader that went away (`| head`) must not kill the tool in the middle of a press:
    // the write fails instead, and the run ends once the switch is released.
    std::signal(SIGPIPE, SIG_IGN);
    SignalWatcher watcher({SIGINT, SIGTERM});
    AdapterSession session(invocation.target, invocation.timeOutMs);
    session_ = &session;
    const auto stop = [&session](int signalNumber) {
        session.RequestStop(kExitSignalBase + signalNumber);
    };
    QObject::connect(&watcher, &SignalWatcher::Raised, &session, stop);
    // Not a stop: a hold keeps its time and a command under way completes. Only the waits
    // that exist to print (a watch, a session's idle wait) look again and end.
    reporter_->OnOutputLost([&session] { session.Wake(); });
    if (watcher.Caught() != 0) {
        stop(watcher.Caught());
    }
    if (failure_ != 0) {
        session.RequestStop(failure_);
    }

    int status = kExitDone;
    QString detail;
    MasterFeed feed(session, *reporter_);
    const AdapterSession::Outcome opened = session.Open(detail);
    if (opened == AdapterSession::Outcome::Done) {
        feed.Start(std::holds_alternative<SessionArgs>(command.args) ? MasterFeed::Echo::Live
                                                                     : MasterFeed::Echo::Quiet);
        status = CommandRunner(session, *reporter_, feed).Run(command);
    } else if (opened == AdapterSession::Outcome::Stopped) {
        status = session.StopStatus();
    } else {
        status = kExitPortFailure;
        // A JSON reader sees only the error object: the system's reason goes in it too.
        QJsonObject extra;
        if (!session.OpenError().isEmpty()) {
            extra.insert(QStringLiteral("reason"), session.OpenError());
        }
        reporter_->Error(status, detail, extra);
    }
    session.Close();
    // Writes lost after the last one reported have no later write to be told before.
    feed.ReportLost();
    session_ = nullptr;
    reporter_->OnOutputLost({});
    // A stop asked for by a signal or a fault wins over what the interrupted command said.
    return session.StopStatus() != 0 ? session.StopStatus() : status;
}

void CliProgram::ReportError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        // Building the message below would need memory too.
        ExitOutOfMemory();
    } catch (...) {
    }
    const QString message =
        QStringLiteral("internal error: %1").arg(quillon::platform::ErrorReport::Text(error));
    if (reporter_) {
        reporter_->Error(kExitInternal, message);
    }
    failure_ = kExitInternal;
    if (session_) {
        session_->RequestStop(kExitInternal);
    }
}

QString CliProgram::HelpText() const {
    return QStringLiteral(
               "Usage: quillon-cli [options] [--] COMMAND [ARGS] [--] [OPERANDS]\n"
               "Drives a Quillon serial I2C slave adapter from scripts and test rigs.\n\n"
               "Options (each at most once, before or after the command; -- ends them):\n") +
           GlobalOptions::Help() + QStringLiteral("\nCommands:\n") + CommandParser::Help() +
           QStringLiteral(
               "\nControl characters and bytes that are not UTF-8 are printed as \\xHH,\n"
               "a backslash as \\\\; a quoted word over 40 characters is cut.\n"
               "\nExit status:\n"
               "  0    done\n"
               "  1    the port could not be opened or closed under us; or the adapter\n"
               "       confirmed another address or pacing than asked\n"
               "  2    no reply in time, or adapter busy\n"
               "  3    the master writes waited for (watch --count, expect) did not come\n"
               "  64   usage error (nothing was sent; in a session, nothing of that line)\n"
               "  66   the script could not be read\n"
               "  70   a fault of the tool itself, memory exhausted included\n"
               "  74   standard output could not be written (after the hardware action\n"
               "       under way: a press is held and released)\n"
               "  130  Ctrl-C, 143 SIGTERM (a pending release is written and the port\n"
               "       closed first)\n"
               "  141  the reader of the output went away (after the action under way)\n"
               "Examples and output formats: docs/cli.md\n");
}

QString CliProgram::VersionText() const {
    QString library = QStringLiteral("libVantrel32.so");
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&VantrelCreate), &info) != 0 && info.dli_fname) {
        library = QString::fromLocal8Bit(info.dli_fname);
    }
    return QStringLiteral("quillon-cli %1\nadapter library %2 (linked at load time)\nQt %3\n")
        .arg(QStringLiteral(QUILLON_VERSION), library, QString::fromLatin1(qVersion()));
}

} // namespace quillon::cli
