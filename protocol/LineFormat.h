#pragma once

// The serial line's settings and timing (docs/protocol.md): both ends set the line up from
// here, and both apply the same idle rule. Plain C++14 for the firmware, like FrameFormat.

#include <stdint.h>

namespace quillon {
namespace protocol {

struct LineFormat {
    // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
    static constexpr uint32_t kBaud = 9600;
    static constexpr uint8_t kDataBits = 8;
    static constexpr uint8_t kStopBits = 1;
    // A byte on the wire: start bit, data bits, stop bit.
    static constexpr uint8_t kBitsPerByte = 1 + kDataBits + kStopBits;

    // A sender writes each frame in one go, so a partial frame that gets no byte for this
    // long is broken: the receiver gives up its start byte.
    static constexpr uint16_t kLineIdleMs = 20;
};

} // namespace protocol
} // namespace quillon
