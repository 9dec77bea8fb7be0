#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// quillon-adapter-sim in a child process: its pseudo-terminal path and its event lines.
class SimProcess {
public:
    SimProcess();
    ~SimProcess();

    // Starts the simulator and waits for its "PTY <path>" line; false with a reason when
    // it does not come up.
    bool Start(const QStringList& arguments, QString* error);
    void Stop();

    QString Device() const { return device_; }
    // Sends one command line to its standard input.
    void Command(const QString& line);
    // Event lines so far, without their timestamps.
    const QStringList& Events();
    int CountEvents(const QString& text);

private:
    void Collect();

    QProcess process_;
    QString device_;
    QByteArray pending_;
    QStringList events_;
};
