#pragma once

#include "ByteRing.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Frames waiting for the serial line. The main loop puts whole frames in; the transmit
// interrupt takes bytes out. A frame goes in whole or not at all, so frames never mix.
class TxQueue {
public:
    static constexpr uint8_t kCapacity = ByteRing<256>::kCapacity;

    uint8_t Room() const { return ring_.Room(); }
    bool Empty() const { return ring_.Empty(); }

    // Encodes and queues one frame; false, with nothing queued, when it does not fit
    // (yet) or the payload is longer than a frame can carry.
    bool PutFrame(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t size);
    // The same for a payload of unsigned 32-bit counters, each least significant byte
    // first, as the counters reply and the not-forwarded report carry them.
    bool PutCounters(uint8_t seq, uint8_t code, const uint32_t* counters, uint8_t count) {
        // Both builds (AVR and the host's) keep a uint32_t least significant byte first,
        // so the counters' memory is the payload.
        static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "counters go out as stored");
        return PutFrame(seq, code, reinterpret_cast<const uint8_t*>(counters),
                        static_cast<uint8_t>(count * sizeof(uint32_t)));
    }

    bool Take(uint8_t& byte) { return ring_.Take(byte); }

    // Queue room one frame of this payload size needs.
    static uint8_t FrameSize(uint8_t payloadSize);

private:
    ByteRing<256> ring_;
};

} // namespace firmware
} // namespace quillon
