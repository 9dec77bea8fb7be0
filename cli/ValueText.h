#pragma once

#include "TerminalText.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// Reading the values a user types: hex bytes, whole numbers, seconds. Each returns nothing
// for text that is not exactly such a value, so the caller can say which word was wrong.
namespace quillon::cli {

// One byte in hexadecimal: one or two digits, either case, optionally after "0x" ("5A",
// "5a", "0x5A", "A").
std::optional<uint8_t> HexByte(const QString& text);

// A decimal whole number within [min, max]; no sign for positive numbers, no blanks.
std::optional<qint64> Integer(const QString& text, qint64 min, qint64 max);

// Integer within [1, max] into number, for an option's value; otherwise the problem, as
// "--hold takes milliseconds, 1..3600000, not "0"" (option "--hold", what "milliseconds").
template <typename Number>
std::optional<QString> TakeCount(const QString& text, qint64 max, const QString& option,
                                 const QString& what, Number& number) {
    const auto taken = Integer(text, 1, max);
    if (!taken) {
        return QStringLiteral("%1 takes %2, 1..%3, not \"%4\"")
            .arg(option, what)
            .arg(max)
            .arg(TerminalText::Token(text));
    }
    number = static_cast<Number>(*taken);
    return std::nullopt;
}

// A decimal number of seconds, above 0 and at most max ("2", "0.5"), in milliseconds.
std::optional<qint64> SecondsAsMs(const QString& text, double max);

// Two upper-case hex digits, as everything the tool prints shows a byte.
QString Hex2(uint8_t value);
// Bytes as Hex2 shows them, blank-separated ("5A 12 34").
QString HexList(std::span<const uint8_t> bytes);

} // namespace quillon::cli
