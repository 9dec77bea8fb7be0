#pragma once

// The adapter's slave address on the bus master's side, in the 8-bit form the protocol
// carries it in (docs/protocol.md). Plain C++14 for the firmware, like FrameFormat.

#include <stdint.h>

namespace quillon {
namespace protocol {

struct SlaveAddress {
    // What an adapter answers on until another address is saved.
    static constexpr uint8_t kDefault = 0x40;
    // Bit 0 of the 8-bit form is the bus's read/write bit, not part of the address.
    static constexpr uint8_t kReadWriteBit = 0x01;

    // The address as the adapter keeps and reports it, whatever bit 0 was given.
    static constexpr uint8_t WithoutReadWriteBit(uint8_t address) {
        return static_cast<uint8_t>(address & ~kReadWriteBit);
    }
};

} // namespace protocol
} // namespace quillon
