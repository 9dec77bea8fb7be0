#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::simkit {

// Two upper-case hex digits per byte, the way every output line shows bytes.
class HexText {
public:
    static std::string Byte(uint8_t value);
    // "5A 12 34"
    static std::string Bytes(const std::vector<uint8_t>& values);
    // One or two hex digits, either case; nothing else.
    static std::optional<uint8_t> ParseByte(std::string_view text);
};

} // namespace quillon::simkit
