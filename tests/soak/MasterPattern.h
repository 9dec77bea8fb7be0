#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Master writes that identify themselves: a 16-bit serial, its complement, then filler
// derived from the serial, with a length that also follows from it. A record that mixes
// bytes of two writes, or is cut short, or carries stale bytes behind the data, cannot
// pass Decode.
namespace soak {

using Record = std::array<uint8_t, 129>;

std::vector<uint8_t> MasterBytes(uint16_t serial);

// The serial of the write a GetI2CData record holds, or nothing when the record is not
// exactly one whole write.
std::optional<uint16_t> Decode(const Record& record);

} // namespace soak
