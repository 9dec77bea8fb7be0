#include "MasterPattern.h"

namespace soak {

std::vector<uint8_t> MasterBytes(uint16_t serial) {
    const std::size_t length = 4 + serial % 124; // 4 .. 127
    std::vector<uint8_t> bytes(length);
    bytes[0] = uint8_t(serial >> 8);
    bytes[1] = uint8_t(serial);
    bytes[2] = uint8_t(~bytes[0]);
    bytes[3] = uint8_t(~bytes[1]);
    for (std::size_t j = 4; j < length; ++j) {
        bytes[j] = uint8_t(serial * 31u + j);
    }
    return bytes;
}

std::optional<uint16_t> Decode(const Record& record) {
    const std::size_t length = record[1];
    if (length < 4 || length > 127) {
        return std::nullopt;
    }
    const uint16_t serial = uint16_t(record[2] << 8 | record[3]);
    const std::vector<uint8_t> expected = MasterBytes(serial);
    if (expected.size() != length || record[0] != expected.back()) {
        return std::nullopt;
    }
    for (std::size_t j = 0; j < length; ++j) {
        if (record[2 + j] != expected[j]) {
            return std::nullopt;
        }
    }
    for (std::size_t j = 2 + length; j < record.size(); ++j) {
        if (record[j] != 0) {
            return std::nullopt;
        }
    }
    return serial;
}

} // namespace soak
