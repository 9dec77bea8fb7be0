#pragma once

// How a counter of the counters reply and the not-forwarded report travels: four bytes,
// least significant first (docs/protocol.md). Plain C++14 with nothing beyond <stdint.h>,
// so the firmware can write them with the same code the host reads them with.

#include "CommandTable.h"

#include <stdint.h>

namespace quillon {
namespace protocol {

struct CounterBytes {
    static constexpr uint32_t Read(const uint8_t* bytes) {
        uint32_t value = 0;
        for (uint8_t i = kCounterSize; i-- > 0;) {
            value = (value << 8) | bytes[i];
        }
        return value;
    }

    static constexpr void Write(uint32_t value, uint8_t* bytes) {
        for (uint8_t i = 0; i < kCounterSize; ++i) {
            bytes[i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
};

} // namespace protocol
} // namespace quillon
