#pragma once

#include "Command.h"

#include <QString>

#include <optional>
#include <vector>

namespace quillon::cli {

// Reads a `run` script: one command per line as on the command line, without the tool's
// own options; blank lines and everything from a "#" on are ignored. Every line is checked
// before the first one runs, so a mistake on line 9 sends nothing at all.
class ScriptReader {
public:
    // file is a path or "-" for standard input. The problem reads "file:line: reason".
    static std::optional<QString> Read(const QString& file, std::vector<ScriptLine>& lines);

    // The same for a script's text; name is what messages call it.
    static std::optional<QString> Parse(const QString& name, const QString& text,
                                        std::vector<ScriptLine>& lines);
};

} // namespace quillon::cli
