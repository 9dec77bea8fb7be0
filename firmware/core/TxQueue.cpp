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
    ring_.Put(FrameFormat::kStx);
    const uint8_t header[] = {size, seq, code};
    uint8_t crc = FrameFormat::kCrcInitial;
    for (const uint8_t byte : header) {
        ring_.Put(byte);
        crc = FrameFormat::Crc8Step(crc, byte);
    }
    for (uint8_t i = 0; i < size; ++i) {
        ring_.Put(payload[i]);
        crc = FrameFormat::Crc8Step(crc, payload[i]);
    }
    ring_.Put(crc);
    return true;
}

} // namespace firmware
} // namespace quillon
