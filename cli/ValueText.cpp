#include "ValueText.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace quillon::cli {

std::optional<uint8_t> HexByte(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^(?:0[xX])?([0-9A-Fa-f]{1,2})$"));
    const QRegularExpressionMatch match = hex.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(match.captured(1).toUInt(nullptr, 16));
}

std::optional<qint64> Integer(const QString& text, qint64 min, qint64 max) {
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]{1,18}$"));
    if (!decimal.match(text).hasMatch()) {
        return std::nullopt;
    }
    const qint64 value = text.toLongLong();
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> SecondsAsMs(const QString& text, double max) {
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,9}(?:\\.[0-9]{1,3})?$"));
    if (!decimal.match(text).hasMatch()) {
        return std::nullopt;
    }
    const double seconds = text.toDouble();
    if (seconds <= 0 || seconds > max) {
        return std::nullopt;
    }
    return static_cast<qint64>(std::llround(seconds * 1000.0));
}

QString Hex2(uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString HexList(std::span<const uint8_t> bytes) {
    QStringList texts;
    for (uint8_t byte : bytes) {
        texts << Hex2(byte);
    }
    return texts.join(QLatin1Char(' '));
}

} // namespace quillon::cli
