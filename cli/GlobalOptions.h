#pragma once

#include "Invocation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::cli {

// The tool's own options (-d, -p, --timeout, --json, --help, --version), read from a table.
// They may stand anywhere on the command line; every other word belongs to the command.
class GlobalOptions {
public:
    // The one-line reason for a bad option or value.
    static std::optional<QString> Parse(const QStringList& args, Invocation& invocation);

    static QString Help();
};

} // namespace quillon::cli
