#include "SimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

SimProcess::~SimProcess() {
    Stop();
}

SimProcess::Program SimProcess::DefaultProgram() {
    return qEnvironmentVariable("QUILLON_SIM") == QLatin1String("board") ? Program::Board
                                                                         : Program::Adapter;
}

QString SimProcess::Name(Program program) {
    return program == Program::Board ? QStringLiteral("quillon-board-sim")
                                     : QStringLiteral("quillon-adapter-sim");
}

QString SimProcess::Binary(Program program) {
    return FindProgram(Name(program));
}

QString SimProcess::FindProgram(const QString& name) {
    // CTest names the build's bin directory; run by hand, the test sits next to the binary.
    for (const QString& dir :
         {qEnvironmentVariable("QUILLON_BIN_DIR"), QCoreApplication::applicationDirPath()}) {
        const QString path = QDir(dir).filePath(name);
        if (!dir.isEmpty() && QFileInfo(path).isExecutable()) {
            return path;
        }
    }
    return QStandardPaths::findExecutable(name);
}

std::unique_ptr<SimProcess> SimProcess::StartAsCom1(const QStringList& args) {
    auto sim = std::make_unique<SimProcess>();
    if (const auto error = sim->Start(args)) {
        qWarning("simulator: %s", qPrintable(*error));
        return nullptr;
    }
    qputenv("VANTREL_COM1", sim->Device().toLocal8Bit());
    return sim;
}

std::optional<QString> SimProcess::Start(const QStringList& args) {
    const QString binary = Binary(program_);
    if (binary.isEmpty()) {
        return Name(program_) + " not found (QUILLON_BIN_DIR or PATH)";
    }
    process_.setProgram(binary);
    const bool resetOff = program_ == Program::Board && boardReset_ == BoardReset::Off;
    process_.setArguments(resetOff ? QStringList{"--no-auto-reset", "--boot-ms", "0"} + args
                                   : args);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(5000)) {
        return "cannot start " + binary + ": " + process_.errorString();
    }
    const QDeadlineTimer deadline(5000);
    while (!pending_.contains('\n')) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(int(deadline.remainingTime()))) {
            return "no PTY line; stderr: " +
                   QString::fromLocal8Bit(process_.readAllStandardError());
        }
        pending_ += process_.readAllStandardOutput();
    }
    const qsizetype end = pending_.indexOf('\n');
    const QString first = QString::fromUtf8(pending_.left(end));
    pending_.remove(0, end + 1);
    if (!first.startsWith("PTY /")) {
        return "first line is not the PTY line: " + first;
    }
    device_ = first.mid(4);
    ready_.start();
    return std::nullopt;
}

void SimProcess::Command(const QString& line) {
    process_.write(line.toUtf8() + '\n');
    process_.waitForBytesWritten(1000);
}

void SimProcess::Collect() {
    // Take what the simulator has written by now, not only what the event loop happens to
    // have read: a line it wrote before an effect the test has already seen (its hang-up
    // closing the line) must be there when the test looks.
    if (process_.state() == QProcess::Running) {
        process_.waitForReadyRead(0);
    }
    pending_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        lines_ << QString::fromUtf8(pending_.left(end));
        pending_.remove(0, end + 1);
    }
}

QStringList SimProcess::RawLines() {
    Collect();
    return lines_;
}

QList<SimProcess::Event> SimProcess::Events() {
    static const QRegularExpression stamped(R"(^\[ *(\d+\.\d{3})\] (.+)$)");
    QList<Event> events;
    for (const QString& line : RawLines()) {
        const auto match = stamped.match(line);
        if (match.hasMatch()) {
            events.append({match.captured(1).toDouble(), match.captured(2)});
        }
    }
    return events;
}

QStringList SimProcess::EventTexts() {
    QStringList texts;
    for (const Event& event : Events()) {
        texts << event.text;
    }
    return texts;
}

void SimProcess::Stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool SimProcess::Terminate() {
    process_.terminate();
    return WaitForExit(5000) && process_.exitStatus() == QProcess::NormalExit &&
           process_.exitCode() == 0;
}

bool SimProcess::WriteStateFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

bool SimProcess::WaitForExit(int ms) {
    // QProcess says false for a process it has already seen end, which reading its output
    // may have done.
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(ms);
}
