#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The built quillon-cli as a child process: run to its end, or started and then signalled,
// with its standard output and error split into lines.
class CliProcess {
public:
    CliProcess() = default;
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Whether standard input ends once the input given at the start is written, or stays
    // open for Send (a session reads its lines as they come), or the tool starts without
    // one at all.
    enum class InputEnd { AtStart, OnClose, Closed };

    // Where its standard output goes: read by the test, the full device (every write fails
    // with "no space"), nowhere (closed when it starts), or a pipe whose reader is gone.
    enum class Output { Captured, Full, Closed, ReaderGone };
    // For the next Start.
    void SetOutput(Output output);

    // Starts it; input, if any, is its whole standard input unless it stays open.
    bool Start(const QStringList& args, const QByteArray& input = {},
               InputEnd end = InputEnd::AtStart);
    // Writes to its standard input while it runs; CloseInput ends that input.
    bool Send(const QByteArray& bytes);
    void CloseInput();
    // Waits for it to end; false when it did not within the time.
    bool Finish(int ms);
    // Start and Finish in one.
    bool Run(const QStringList& args, const QByteArray& input = {}, int ms = 30000);

    // Waits until a line of standard output matches the pattern.
    bool WaitForOutput(const QString& pattern, int ms);
    void Signal(int signalNumber);

    // The exit status; -1 while running or after a crash.
    int ExitCode() const;
    QStringList OutLines();
    QStringList ErrLines();

    QProcess& Process() { return process_; }
    static QString Binary();

private:
    void Collect();

    QProcess process_;
    Output output_ = Output::Captured;
    QByteArray out_;
    QByteArray err_;
};
