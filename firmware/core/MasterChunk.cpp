#include "MasterChunk.h"

namespace quillon {
namespace firmware {

using protocol::FrameFormat;

namespace {

// Keeps the compiler from moving reads or writes of the chunks across the counters that
// hand them over (the other side may be an interrupt).
inline void HandOverBarrier() {
    __asm__ __volatile__("" ::: "memory");
}

} // namespace

bool MasterChunk::Accept(uint8_t byte) {
    uint8_t handed = handed_;
    if (!collecting_) {
        // Both buffers wait for the line: the newer one is the bus side's to take back
        // (the serial side only ever touches the older one).
        if (static_cast<uint8_t>(handed - queued_) == kBuffers) {
            if (pacing_ == Pacing::Hold) {
                return false;
            }
            handed = static_cast<uint8_t>(handed - 1);
            handed_ = handed;
            HandOverBarrier();
            ++Of(handed).givenUp;
        }
        Of(handed).count = 0;
        collecting_ = true;
    }
    Buffer& buffer = Of(handed);
    const uint8_t count = buffer.count;
    buffer.bytes[count] = byte;
    buffer.count = static_cast<uint8_t>(count + 1);
    if (count + 1 == FrameFormat::kMaxPayload) {
        HandOver();
    }
    return true;
}

void MasterChunk::EndTransaction() {
    if (collecting_) {
        HandOver();
    }
}

void MasterChunk::HandOver() {
    collecting_ = false;
    HandOverBarrier();
    handed_ = static_cast<uint8_t>(handed_ + 1);
}

bool MasterChunk::FlushTo(TxQueue& tx) {
    if (!Ready()) {
        return false;
    }
    HandOverBarrier();
    Buffer& buffer = Of(queued_);
    const uint16_t givenUp = buffer.givenUp;
    const uint8_t needed =
        static_cast<uint8_t>(TxQueue::FrameSize(buffer.count) +
                             (givenUp > 0 ? TxQueue::FrameSize(protocol::kNotForwardedSize) : 0));
    if (tx.Room() < needed) {
        return false;
    }
    if (givenUp > 0) {
        notForwarded_ += givenUp;
        buffer.givenUp = 0;
        tx.PutCounters(FrameFormat::kUnsolicitedSeq, FrameFormat::NotForwarded, &notForwarded_, 1);
    }
    tx.PutFrame(FrameFormat::kUnsolicitedSeq, FrameFormat::MasterData, buffer.bytes, buffer.count);
    HandOverBarrier();
    queued_ = static_cast<uint8_t>(queued_ + 1);
    return true;
}

} // namespace firmware
} // namespace quillon
