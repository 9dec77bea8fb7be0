#include "MasterChunk.h"

namespace quillon {
namespace firmware {

using protocol::FrameFormat;

namespace {

// Keeps the compiler from moving reads or writes of the chunk's bytes across the
// hand-over flag (the other side may be an interrupt).
inline void HandOverBarrier() {
    __asm__ __volatile__("" ::: "memory");
}

} // namespace

bool MasterChunk::Accept(uint8_t byte) {
    if (ready_) {
        return false;
    }
    const uint8_t count = count_;
    bytes_[count] = byte;
    count_ = static_cast<uint8_t>(count + 1);
    if (count + 1 == FrameFormat::kMaxPayload) {
        HandOverBarrier();
        ready_ = true;
    }
    return true;
}

void MasterChunk::EndTransaction() {
    if (!ready_ && count_ > 0) {
        HandOverBarrier();
        ready_ = true;
    }
}

bool MasterChunk::FlushTo(TxQueue& tx) {
    if (!ready_) {
        return false;
    }
    HandOverBarrier();
    if (!tx.PutFrame(FrameFormat::kUnsolicitedSeq, FrameFormat::MasterData, bytes_, count_)) {
        return false;
    }
    count_ = 0;
    HandOverBarrier();
    ready_ = false;
    return true;
}

} // namespace firmware
} // namespace quillon
