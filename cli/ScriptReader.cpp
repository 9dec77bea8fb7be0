#include "ScriptReader.h"

#include "CommandParser.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace quillon::cli {

std::optional<QString> ScriptReader::Read(const QString& file, std::vector<ScriptLine>& lines) {
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
    if (!opened) {
        return QStringLiteral("run: cannot read %1: %2").arg(name, input.errorString());
    }
    return Parse(name, QString::fromUtf8(input.readAll()), lines);
}

std::optional<QString> ScriptReader::Parse(const QString& name, const QString& text,
                                           std::vector<ScriptLine>& lines) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    lines.clear();
    const QStringList rows = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString origin = QStringLiteral("%1:%2").arg(name).arg(i + 1);
        QString row = rows.at(i);
        const qsizetype comment = row.indexOf(QLatin1Char('#'));
        if (comment >= 0) {
            row.truncate(comment);
        }
        const QStringList words = row.split(blanks, Qt::SkipEmptyParts);
        if (words.isEmpty()) {
            continue;
        }
        ScriptLine line;
        line.origin = origin;
        if (const auto problem = CommandParser::Parse(words, line.command)) {
            return origin + QStringLiteral(": ") + *problem;
        }
        if (std::holds_alternative<RunArgs>(line.command.args)) {
            return origin + QStringLiteral(": run: a script cannot run another script");
        }
        lines.push_back(std::move(line));
    }
    return std::nullopt;
}

} // namespace quillon::cli
