#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The simulator as a child process: started with options, its device path taken from the
// first output line, its event lines collected as they come.
class SimProcess {
public:
    struct Event {
        double ms = 0;
        QString text;
    };

    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Waits for the "PTY ..." line; false with the reason in error.
    bool Start(const QStringList& args, QString& error);

    const QString& Device() const { return device_; }
    QProcess& Process() { return process_; }

    void SendInput(const QByteArray& line);

    // Every output line after the PTY line, raw, and parsed as events.
    QStringList RawLines();
    QList<Event> Events();
    QStringList EventTexts();
    bool HasEvent(const QString& text) { return EventTexts().contains(text); }

    // Sends SIGTERM and waits; true when it ended with exit code 0.
    bool Terminate();

    static QString Binary();

private:
    void Collect();

    QProcess process_;
    QString device_;
    QByteArray pending_;
    QStringList lines_;
};
