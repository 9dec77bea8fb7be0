#pragma once

#include "Command.h"
#include "Invocation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillon::cli {

// Turns the words of one command ("press SW1 SW4 --hold 100") into a checked Command. The
// commands, their arguments and their options come from one table, which also gives the
// help text.
class CommandParser {
public:
    // The one-line reason when the words are not a good command. A `run` command names its
    // script here; reading it is the script reader's work. Options may stand before the
    // command word, each at most once; "--" ends them. toolOptions: names to suggest for a
    // mistyped option, where the tool's own options may stand.
    static std::optional<QString> Parse(const QStringList& words, Command& command,
                                        const QStringList& toolOptions = {});

    // One line per command: its synopsis and what it does.
    static QString Help();
};

} // namespace quillon::cli
