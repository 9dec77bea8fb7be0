#include "SimProcess.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QString SimulatorProgram() {
    const QString name = QStringLiteral("quillon-adapter-sim");
    const QString binDir = qEnvironmentVariable("QUILLON_BIN_DIR");
    if (!binDir.isEmpty()) {
        const QString candidate = QDir(binDir).filePath(name);
        if (QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
    return QStandardPaths::findExecutable(name);
}

} // namespace

SimProcess::SimProcess() {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimProcess::~SimProcess() {
    Stop();
}

bool SimProcess::Start(const QStringList& arguments, QString* error) {
    const QString program = SimulatorProgram();
    if (program.isEmpty()) {
        *error = QStringLiteral("quillon-adapter-sim not found (QUILLON_BIN_DIR, PATH)");
        return false;
    }
    process_.start(program, arguments);
    if (!process_.waitForStarted(5000)) {
        *error = process_.errorString();
        return false;
    }
    // Its first line is promised before anything else; waiting on the pipe is no sleep.
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(5000)) {
            *error = QStringLiteral("no PTY line from the simulator");
            return false;
        }
    }
    const QString first = QString::fromUtf8(process_.readLine()).trimmed();
    if (!first.startsWith(QLatin1String("PTY "))) {
        *error = QStringLiteral("unexpected first line: ") + first;
        return false;
    }
    device_ = first.mid(4);
    return true;
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

void SimProcess::Command(const QString& line) {
    process_.write((line + QLatin1Char('\n')).toUtf8());
    process_.waitForBytesWritten(1000);
}

const QStringList& SimProcess::Events() {
    Collect();
    return events_;
}

int SimProcess::CountEvents(const QString& text) {
    Collect();
    return static_cast<int>(events_.count(text));
}

void SimProcess::Collect() {
    pending_ += process_.readAllStandardOutput();
    static const QRegularExpression stamp(QStringLiteral("^\\[\\s*[0-9.]+\\]\\s*"));
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0) {
        QString line = QString::fromUtf8(pending_.left(end)).trimmed();
        pending_.remove(0, end + 1);
        line.remove(stamp);
        events_ << line;
    }
}
