#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace quillon::cli {

// Turns SIGINT and SIGTERM into a Qt signal on the main thread. The handler itself only
// writes the signal's number into a pipe (all a signal handler may safely do); the event
// loop reads it there, so a Ctrl-C ends whatever the tool waits for and the tool can still
// release switches and close the port before it exits. One instance per process.
class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~SignalWatcher() override;

    // The first signal caught, 0 while none was.
    int Caught() const { return caught_; }

signals:
    void Raised(int signalNumber);

private:
    void ReadPipe();

    QSocketNotifier* notifier_ = nullptr;
    std::vector<int> handled_;
    int caught_ = 0;
};

} // namespace quillon::cli
