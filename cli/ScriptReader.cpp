#include "ScriptReader.h"

#include "CommandParser.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdio>

bool ScriptReader::Read(const QString& file, std::vector<ScriptLine>& lines, QString& error) {
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
        error = QStringLiteral("run: cannot read %1: %2").arg(name, input.errorString());
        return false;
    }
    return Parse(name, QString::fromUtf8(input.readAll()), lines, error);
}

bool ScriptReader::Parse(const QString& name, const QString& text, std::vector<ScriptLine>& lines,
                         QString& error) {
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
        QString reason;
        if (!CommandParser::Parse(words, line.command, reason)) {
            error = origin + QStringLiteral(": ") + reason;
            return false;
        }
        if (line.command.kind == CommandKind::Run) {
            error = origin + QStringLiteral(": run: a script cannot run another script");
            return false;
        }
        lines.push_back(std::move(line));
    }
    return true;
}
