#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

// Catches the lines on standard error that start with a given text, while it is active,
// and passes every other line on at once. The adapter library reports a device it cannot
// open with a line of its own; the tool catches it during the opening so the user reads
// one line that says what happened, not the library's and the tool's.
class StderrCatcher final : public QObject {
    Q_OBJECT
public:
    explicit StderrCatcher(QByteArray prefix, QObject* parent = nullptr);
    // Stops, if still active.
    ~StderrCatcher() override;

    // Puts standard error back and takes what is still in the pipe.
    void Stop();
    // The caught lines, without their line ends.
    QStringList Caught() const { return caught_; }

private:
    void Drain();
    void TakeLines(bool flushPartial);

    QByteArray prefix_;
    int savedFd_ = -1;
    int readFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_;
    QStringList caught_;
};
