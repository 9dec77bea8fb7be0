#pragma once

#include "Command.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace quillon::cli {

// Reads a `run` script: one command per line as on the command line, without the tool's
// own options; blank lines and everything from a "#" on are ignored. Every line is checked
// before the first one runs, so a mistake on line 9 sends nothing at all. The script is read
// as it comes, a bounded line at a time, and is itself bounded: a stream without end belongs
// in a session, which does not keep its lines.
class ScriptReader {
public:
    static constexpr qint64 kMaxLines = 10000;
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    // Where a line stands: what it may not contain differs.
    enum class Context { Script, Session };

    struct Problem {
        int exitStatus;
        QString message;
    };

    // file is a path or "-" for standard input. The message reads "file:line: reason", and
    // the status tells a script that cannot be read from one that is wrong.
    static std::optional<Problem> Read(const QString& file, std::vector<ScriptLine>& lines);

    // The same for a script's text; name is what messages call it.
    static std::optional<QString> Parse(const QString& name, const QString& text,
                                        std::vector<ScriptLine>& lines);

    // One line: its command, or none for a blank or comment line; the problem names the
    // origin ("rig.txt:7").
    static std::optional<QString> ParseLine(const QString& origin, const QString& text,
                                            Context context, std::optional<ScriptLine>& line);

    // The line a session or script could not keep, as an error message.
    static QString TooLong(const QString& origin);
};

} // namespace quillon::cli
