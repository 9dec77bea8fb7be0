#include "TxQueue.h"

#include "protocol/FrameFormat.h"

namespace quillon {
namespace firmware {

using protocol::FrameFormat;

uint8_t TxQueue::FrameSize(uint8_t payloadSize) {
    return static_cast<uint8_t>(FrameFormat::kHeaderSize + payloadSize + FrameFormat::kCrcSize);
}

bool TxQueue::PutFrame(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t size) {
    if (size > FrameFormat::kMaxPayload || ring_.Room() < FrameSize(size)) {
        return false;
    }
    uint8_t head = ring_.Head();
    ring_.Stage(head, FrameFormat::kStx);
    const uint8_t header[] = {size, seq, code};
    uint8_t crc = FrameFormat::kCrcInitial;
    // The header and the payload in one loop: the CRC covers both alike.
    const uint8_t* from = header;
    for (uint8_t i = 0; i < sizeof header + size; ++i) {
        if (i == sizeof header) {
            from = payload;
        }
        const uint8_t byte = *from++;
        ring_.Stage(head, byte);
        crc = FrameFormat::Crc8Step(crc, byte);
    }
    ring_.Stage(head, crc);
    ring_.Publish(head);
    return true;
}

} // namespace firmware
} // namespace quillon
