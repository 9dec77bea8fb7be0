#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A simulator as a child process: started with options, its device path taken from the
// first output line, its event lines collected as they come. Both simulators share their
// command line, output lines and standard input commands, so a test can run against either.
class SimProcess {
public:
    enum class Program {
        Adapter, // quillon-adapter-sim, the adapter in software
        Board,   // quillon-board-sim, the adapter firmware on a simulated board
    };

    // What an opening of the board simulator's port does. Tests run the board without the
    // reset an opening causes on an Uno or Nano and without the bootloader's wait after a
    // reset, so that no opening in any suite costs a second; the suites about that reset
    // ask for the board as it comes.
    enum class BoardReset { Off, AsOnTheBoard };

    struct Event {
        double ms = 0;
        QString text;
    };

    // The simulator named by QUILLON_SIM ("board" or "adapter", the default), so a whole
    // suite can be registered a second time against the board.
    SimProcess() : SimProcess(DefaultProgram()) {}
    explicit SimProcess(Program program) : program_(program) {}
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void SetBoardReset(BoardReset reset) { boardReset_ = reset; }

    // Waits for the "PTY ..." line; returns why the simulator did not start, if it did not.
    std::optional<QString> Start(const QStringList& args);
    // A simulator started with these options and made COM1 of the adapter library in this
    // process (VANTREL_COM1); none, after a warning that says why, when it does not start.
    static std::unique_ptr<SimProcess> StartAsCom1(const QStringList& args);

    const QString& Device() const { return device_; }

    // Milliseconds since its PTY line was read here. Its event stamps count from a moment
    // before that line was written, so an event stamped s ms happened no later than
    // s - MsSinceReady() ms from now: a bound that a busy machine can only loosen.
    qint64 MsSinceReady() const { return ready_.elapsed(); }
    QProcess& Process() { return process_; }

    // Sends one command line to its standard input.
    void Command(const QString& line);

    // Every output line after the PTY line, raw, and parsed as events.
    QStringList RawLines();
    QList<Event> Events();
    QStringList EventTexts();
    bool HasEvent(const QString& text) { return EventTexts().contains(text); }
    int CountEvents(const QString& text) { return int(EventTexts().count(text)); }

    // Sends SIGTERM and waits; true when it ended with exit code 0.
    bool Terminate();
    // Waits for it to end by itself; true once it has, also when it already had.
    bool WaitForExit(int ms);
    // Ends it whatever it is doing: SIGTERM, then SIGKILL if it does not go.
    void Stop();

    // Leaves a state file with this text for a simulator to find; false if it could not.
    static bool WriteStateFile(const QString& path, const QByteArray& text);

    static Program DefaultProgram();
    static QString Binary(Program program);
    static QString Name(Program program);
    // A program of this build by name: in QUILLON_BIN_DIR, next to the test, or on PATH.
    static QString FindProgram(const QString& name);

private:
    void Collect();

    Program program_;
    BoardReset boardReset_ = BoardReset::Off;
    QProcess process_;
    QString device_;
    QElapsedTimer ready_;
    QByteArray pending_;
    QStringList lines_;
};
