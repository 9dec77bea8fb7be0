#pragma once

#include "Invocation.h"

#include <QString>
#include <QStringList>

// The tool's own options (-d, -p, --timeout, --json, --help, --version), read from a table.
// They may stand anywhere on the command line; every other word belongs to the command.
class GlobalOptions {
public:
    // False with a one-line reason for a bad option or value.
    static bool Parse(const QStringList& args, Invocation& invocation, QString& error);

    static QString Help();
};
