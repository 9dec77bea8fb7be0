#pragma once

#include "Invocation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::cli {

// The tool's own options (-d, -p, --timeout, --json, --help, --version), read from a table.
// They may stand anywhere on the command line, each at most once; every other word belongs to
// the command. "--" before the command ends them; after it, it is the command's own.
class GlobalOptions {
public:
    // The one-line reason for a bad, repeated or missing option or value.
    static std::optional<QString> Parse(const QStringList& args, Invocation& invocation);

    // The tool option a word gives ("-p" for "-p3"), if it gives one.
    static std::optional<QString> NameIn(const QString& word);

    // The options' long names, to suggest one for a mistyped word.
    static QStringList Names();

    static QString Help();
};

} // namespace quillon::cli
