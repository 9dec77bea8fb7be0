#include "HexText.h"

namespace quillon::simkit {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
} // namespace

std::string HexText::Byte(uint8_t value) {
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string HexText::Bytes(const std::vector<uint8_t>& values) {
    std::string text;
    for (const uint8_t value : values) {
        if (!text.empty()) {
            text += ' ';
        }
        text += Byte(value);
    }
    return text;
}

std::optional<uint8_t> HexText::ParseByte(std::string_view text) {
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<uint8_t>(value);
}

} // namespace quillon::simkit
