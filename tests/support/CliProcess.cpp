#include "CliProcess.h"

#include "SimProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <csignal>
#include <unistd.h>

CliProcess::~CliProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString CliProcess::Binary() {
    return SimProcess::FindProgram(QStringLiteral("quillon-cli"));
}

void CliProcess::SetOutput(Output output) {
    output_ = output;
    process_.setStandardOutputFile(output == Output::Full ? QStringLiteral("/dev/full")
                                                          : QString());
}

namespace {

// In the child after its channels are set up, just before the tool starts: only calls
// that are safe between fork and exec.
void CloseOrCutChannels(CliProcess::Output output, CliProcess::InputEnd end) {
    if (end == CliProcess::InputEnd::Closed) {
        ::close(STDIN_FILENO);
    }
    if (output == CliProcess::Output::Closed) {
        ::close(STDOUT_FILENO);
    } else if (output == CliProcess::Output::ReaderGone) {
        int ends[2];
        if (::pipe(ends) == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::close(ends[0]);
            ::close(ends[1]);
        }
    }
}

} // namespace

bool CliProcess::Start(const QStringList& args, const QByteArray& input, InputEnd end) {
    process_.setProgram(Binary());
    process_.setArguments(args);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setChildProcessModifier([output = output_, end] { CloseOrCutChannels(output, end); });
    process_.start();
    if (!process_.waitForStarted(5000)) {
        return false;
    }
    if (!input.isEmpty()) {
        // The tool may rightly end before it read it all (a script over its bound).
        Send(input);
    }
    if (end != InputEnd::OnClose) {
        CloseInput();
    }
    return true;
}

bool CliProcess::Send(const QByteArray& bytes) {
    if (process_.write(bytes) != bytes.size()) {
        return false;
    }
    while (process_.bytesToWrite() > 0) {
        if (!process_.waitForBytesWritten(5000)) {
            return false;
        }
    }
    return true;
}

void CliProcess::CloseInput() {
    process_.closeWriteChannel();
}

bool CliProcess::Finish(int ms) {
    const bool finished = process_.state() == QProcess::NotRunning || process_.waitForFinished(ms);
    Collect();
    return finished;
}

bool CliProcess::Run(const QStringList& args, const QByteArray& input, int ms) {
    return Start(args, input) && Finish(ms);
}

bool CliProcess::WaitForOutput(const QString& pattern, int ms) {
    const QRegularExpression expression(pattern);
    const QDeadlineTimer deadline(ms);
    for (;;) {
        Collect();
        for (const QString& line : OutLines()) {
            if (expression.match(line).hasMatch()) {
                return true;
            }
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
            return false;
        }
        process_.waitForReadyRead(int(deadline.remainingTime()));
    }
}

void CliProcess::Signal(int signalNumber) {
    ::kill(static_cast<pid_t>(process_.processId()), signalNumber);
}

int CliProcess::ExitCode() const {
    if (process_.state() != QProcess::NotRunning || process_.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process_.exitCode();
}

void CliProcess::Collect() {
    out_ += process_.readAllStandardOutput();
    err_ += process_.readAllStandardError();
}

QStringList CliProcess::OutLines() {
    Collect();
    return QString::fromUtf8(out_).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList CliProcess::ErrLines() {
    Collect();
    return QString::fromUtf8(err_).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
