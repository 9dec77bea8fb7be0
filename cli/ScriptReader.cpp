#include "ScriptReader.h"

#include "CommandParser.h"
#include "ExitStatus.h"
#include "GlobalOptions.h"
#include "LineSplitter.h"
#include "TerminalText.h"

#include <QFile>

#include <array>
#include <cstdio>
#include <deque>

namespace quillon::cli {

namespace {

// What an oversized script is told to use instead.
const char kUseASession[] = "(a session streams any number of commands: quillon-cli ... session)";

// The blank-separated words of a line. Not a regular expression: a line may keep bytes that
// were not UTF-8 (TerminalText::FromBytes), which no expression matches.
QStringList Words(const QString& row) {
    QStringList words;
    QString word;
    for (const QChar c : row) {
        if (!c.isSpace()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty()) {
        words << word;
    }
    return words;
}

} // namespace

QString ScriptReader::TooLong(const QString& origin) {
    return QStringLiteral("%1: line longer than %2 bytes")
        .arg(origin)
        .arg(LineSplitter::kMaxLineBytes);
}

std::optional<ScriptReader::Problem> ScriptReader::Read(const QString& file,
                                                        std::vector<ScriptLine>& lines) {
    lines.clear();
    QFile input;
    QString name = file;
    bool opened = false;
    if (file == QLatin1String("-")) {
        name = QStringLiteral("stdin");
        opened = input.open(stdin, QIODevice::ReadOnly);
    } else {
        input.setFileName(file);
        opened = input.open(QIODevice::ReadOnly);
    }
    const auto unreadable = [&] {
        return Problem{kExitNoInput,
                       QStringLiteral("run: cannot read %1: %2").arg(name, input.errorString())};
    };
    if (!opened) {
        return unreadable();
    }
    LineSplitter splitter;
    std::deque<LineSplitter::Line> pending;
    std::array<char, LineSplitter::kMaxLineBytes> chunk{};
    qint64 total = 0;
    bool atEnd = false;
    while (!atEnd) {
        const qint64 got = input.read(chunk.data(), qint64(chunk.size()));
        if (got < 0) {
            return unreadable();
        }
        total += got;
        if (got == 0) {
            atEnd = true;
            splitter.Finish(pending);
        } else {
            splitter.Feed(std::string_view(chunk.data(), std::size_t(got)), pending);
        }
        if (total > kMaxBytes) {
            return Problem{kExitUsage, QStringLiteral("%1: script larger than %2 MiB %3")
                                           .arg(name)
                                           .arg(kMaxBytes / (1024 * 1024))
                                           .arg(QLatin1String(kUseASession))};
        }
        for (; !pending.empty(); pending.pop_front()) {
            const LineSplitter::Line& row = pending.front();
            if (row.number > kMaxLines) {
                return Problem{kExitUsage, QStringLiteral("%1: script longer than %2 lines %3")
                                               .arg(name)
                                               .arg(kMaxLines)
                                               .arg(QLatin1String(kUseASession))};
            }
            const QString origin = QStringLiteral("%1:%2").arg(name).arg(row.number);
            if (row.tooLong) {
                return Problem{kExitUsage, TooLong(origin)};
            }
            std::optional<ScriptLine> line;
            if (const auto problem =
                    ParseLine(origin, TerminalText::FromBytes(row.text), Context::Script, line)) {
                return Problem{kExitUsage, *problem};
            }
            if (line) {
                lines.push_back(std::move(*line));
            }
        }
        if (splitter.TooLongSoFar() != 0) {
            return Problem{kExitUsage,
                           TooLong(QStringLiteral("%1:%2").arg(name).arg(splitter.TooLongSoFar()))};
        }
    }
    return std::nullopt;
}

std::optional<QString> ScriptReader::Parse(const QString& name, const QString& text,
                                           std::vector<ScriptLine>& lines) {
    lines.clear();
    const QStringList rows = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString origin = QStringLiteral("%1:%2").arg(name).arg(i + 1);
        std::optional<ScriptLine> line;
        if (const auto problem = ParseLine(origin, rows.at(i), Context::Script, line)) {
            return problem;
        }
        if (line) {
            lines.push_back(std::move(*line));
        }
    }
    return std::nullopt;
}

std::optional<QString> ScriptReader::ParseLine(const QString& origin, const QString& text,
                                               Context context, std::optional<ScriptLine>& line) {
    line.reset();
    QString row = text;
    const qsizetype comment = row.indexOf(QLatin1Char('#'));
    if (comment >= 0) {
        row.truncate(comment);
    }
    const QStringList words = Words(row);
    if (words.isEmpty()) {
        return std::nullopt;
    }
    const bool inScript = context == Context::Script;
    // The tool's options hold for the whole run; on one line they would read as a wish to
    // change the adapter midway, which the tool cannot do.
    for (const QString& word : words) {
        if (word == QLatin1String(kEndOfOptions)) {
            break;
        }
        if (const auto option = GlobalOptions::NameIn(word)) {
            return origin + QStringLiteral(": %1 is an option of quillon-cli itself: give it "
                                           "before the command on its command line, not %2")
                                .arg(*option, inScript ? QStringLiteral("in a script")
                                                       : QStringLiteral("on a session line"));
        }
    }
    ScriptLine parsed;
    parsed.origin = origin;
    if (const auto problem = CommandParser::Parse(words, parsed.command)) {
        return origin + QStringLiteral(": ") + *problem;
    }
    if (std::holds_alternative<RunArgs>(parsed.command.args)) {
        return origin +
               (inScript ? QStringLiteral(": run: a script cannot run another script")
                         : QStringLiteral(
                               ": run: not inside a session (send the script's lines instead)"));
    }
    if (std::holds_alternative<SessionArgs>(parsed.command.args)) {
        return origin + (inScript ? QStringLiteral(": session: a script cannot start a session")
                                  : QStringLiteral(": session: already in a session"));
    }
    line = std::move(parsed);
    return std::nullopt;
}

} // namespace quillon::cli
