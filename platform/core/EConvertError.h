#pragma once

#include <QString>

#include <algorithm>
#include <stdexcept>

// A text that does not read as the number it should be.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Reads a 32-bit integer written in decimal, or in hexadecimal after a "$". Anything else
// (blanks around it, an empty text, a number out of range) throws EConvertError with the
// message "'<text>' is not a valid integer value".
inline int StrToInt(const QString& text) {
    bool ok = false;
    int value = 0;
    if (text.startsWith('$')) {
        const QString digits = text.mid(1);
        const bool allHex =
            !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
                return c.isDigit() || (c.toUpper() >= 'A' && c.toUpper() <= 'F');
            });
        if (allHex) {
            const uint32_t u = digits.toUInt(&ok, 16);
            value = static_cast<int>(u);
        }
    } else if (!text.isEmpty() && !text.front().isSpace() && !text.back().isSpace()) {
        value = text.toInt(&ok, 10);
    }
    if (!ok) {
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    return value;
}
