#pragma once

#include "Invocation.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>

namespace quillon::cli {

// Everything the tool prints. Results go to standard output, one line each: grep-able text,
// or with --json one JSON object with fixed keys per line. Errors go to standard error as
// one line each, and with --json also to standard output as an "error" object, so a script
// reading the JSON stream sees them in order with the results. Text lines and error lines
// carry words from outside (a script, the adapter), so they are escaped (TerminalText)
// before they reach a terminal.
class Reporter {
public:
    explicit Reporter(OutputFormat format, FILE* out = stdout, FILE* err = stderr);

    void Version(const QString& text);
    void Written(std::span<const uint8_t> bytes, uint8_t intType);
    void AddressRead(uint8_t address);
    void AddressChanged(uint8_t address);
    void AddressSaved(uint8_t address);
    void Pressed(const QStringList& switches, uint8_t pattern);
    void Released(const QStringList& switches, uint8_t pattern, double heldMs);
    void WatchStarted(const QDateTime& at);
    void MasterWrite(const QDateTime& at, qint64 msSinceStart, std::span<const uint8_t> bytes,
                     uint8_t port);
    // The adapter's bus counters, in the library's order (VantrelCounter).
    void Counters(std::span<const uint32_t> counters);
    void Pacing(uint8_t pacing);
    // The adapter's count of master writes it could not forward has grown to count.
    void NotForwarded(uint32_t count);
    // extra: more keys for the JSON error object, e.g. the system's "reason".
    void Error(int exitStatus, const QString& message, const QJsonObject& extra = {});
    // Master writes the tool itself lost (it could not fetch them in time), count in all.
    void MasterLost(uint32_t count);
    // A session's watch ended after count master writes.
    void WatchEnded(qint64 count);
    // The master write an expect waited for came ms after it started (0: it was there).
    void Expected(std::span<const uint8_t> bytes, qint64 ms);

    // Plain text on standard output whatever the format: help and --version, the tool's own
    // text, printed as it is.
    void Plain(const QString& text);

    // Called once when standard output can no longer be written (full, closed, an I/O
    // error, or its reader went away). Nothing more is written to it from then on.
    void OnOutputLost(std::function<void()> handler) { outputLost_ = std::move(handler); }
    // Standard output was closed when the tool started (a stand-in now fills its place):
    // nothing the tool prints can reach anyone.
    void MarkOutputClosed();
    bool OutputLost() const { return lost_; }
    // The exit status the loss of standard output calls for: none (0), an output error, or
    // the status of SIGPIPE when its reader went away, as a shell expects of a pipeline.
    int OutputStatus() const;
    // Says on standard error, at most once, why standard output failed. A reader that went
    // away is no error to tell: the pipeline ended as its user wanted.
    void ReportOutputFailure();

private:
    void Emit(const QString& line, const QJsonObject& object);
    void AddressEvent(const char* event, const char* verb, uint8_t address);
    void Write(const QByteArray& bytes);
    // One line on standard error: "quillon-cli: " and the message, escaped.
    void ErrorLine(const QString& message);
    void LoseOutput(int error);

    OutputFormat format_;
    FILE* out_;
    FILE* err_;
    std::function<void()> outputLost_;
    bool lost_ = false;
    // errno of the failure: EBADF when standard output is closed, EPIPE when its reader
    // went away.
    int lostError_ = 0;
    bool failureReported_ = false;
};

} // namespace quillon::cli
