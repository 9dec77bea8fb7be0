#pragma once

#include "Invocation.h"
#include "Reporter.h"
#include "StandardStreams.h"
#include "platform/core/ErrorReport.h"

#include <QStringList>

#include <memory>

namespace quillon::cli {

class AdapterSession;
struct Command;

// The tool from its arguments to its exit status: checks the whole command line (and any
// script) first, so a usage error sends nothing, then opens the port, runs the command and
// closes the port again, also after Ctrl-C. It is the error report of this process.
class CliProgram final : public quillon::platform::IErrorReport {
public:
    explicit CliProgram(StandardOutput output = StandardOutput::Open);
    ~CliProgram();

    int Run(const QStringList& args);

    void ReportError(const std::exception_ptr& error) override;

private:
    int RunCommand(const QStringList& args);
    int Execute(const Invocation& invocation, const Command& command);
    QString HelpText() const;
    QString VersionText() const;

    const StandardOutput output_;
    std::unique_ptr<Reporter> reporter_;
    AdapterSession* session_ = nullptr;
    int failure_ = 0;
};

} // namespace quillon::cli
