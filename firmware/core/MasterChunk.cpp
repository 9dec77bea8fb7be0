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
    if (MustWait()) {
        return false;
    }
    if (!collecting_) {
        // Both buffers wait for the line: the newer one is the bus side's to take back
        // (the serial side only ever touches the older one).
        if (static_cast<uint8_t>(handed_ - queued_) == kBuffers) {
            handed_ = static_cast<uint8_t>(handed_ - 1);
            HandOverBarrier();
            const uint8_t buffer = Filling();
            givenUp_[buffer] = static_cast<uint16_t>(givenUp_[buffer] + 1);
        }
        count_[Filling()] = 0;
        collecting_ = true;
    }
    const uint8_t buffer = Filling();
    const uint8_t count = count_[buffer];
    bytes_[buffer][count] = byte;
    count_[buffer] = static_cast<uint8_t>(count + 1);
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
    const uint8_t buffer = static_cast<uint8_t>(queued_ & kBufferMask);
    const uint16_t givenUp = givenUp_[buffer];
    const uint8_t needed =
        static_cast<uint8_t>(TxQueue::FrameSize(count_[buffer]) +
                             (givenUp > 0 ? TxQueue::FrameSize(protocol::kNotForwardedSize) : 0));
    if (tx.Room() < needed) {
        return false;
    }
    if (givenUp > 0) {
        notForwarded_ += givenUp;
        givenUp_[buffer] = 0;
        tx.PutCounters(FrameFormat::kUnsolicitedSeq, FrameFormat::NotForwarded, &notForwarded_, 1);
    }
    tx.PutFrame(FrameFormat::kUnsolicitedSeq, FrameFormat::MasterData, bytes_[buffer],
                count_[buffer]);
    HandOverBarrier();
    queued_ = static_cast<uint8_t>(queued_ + 1);
    return true;
}

} // namespace firmware
} // namespace quillon
