#pragma once

#include <QCoreApplication>

namespace quillon::cli {

// The tool's application object. Every slot, timer and notifier of the tool runs from its
// event dispatch; memory running out there ends the tool with the out-of-memory status,
// since an exception must not unwind through the toolkit's own frames.
class CliApplication final : public QCoreApplication {
public:
    CliApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace quillon::cli
