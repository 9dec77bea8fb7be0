#pragma once

#include "TxQueue.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameFormat.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Collects what the bus master writes, in bus order, until it can go out as one unsolicited
// 'i' frame: at the end of the transaction, or as soon as a frame is full (127 bytes), so
// a longer transaction goes out in frames of 127 and a last shorter one.
//
// The bus side runs in the bus interrupt, the serial side in the main loop. Two buffers:
// while the oldest complete chunk waits for room on the serial line, the next one is
// collected in the other. When both are taken and the master starts another chunk, the
// pacing decides:
// - Release: the new chunk replaces the newer of the two (never the one next in line), so
//   the master never waits and the newest port value still reaches the host, in order.
//   Each chunk given up counts as one master write not forwarded (as the host would have
//   counted its frame), and the next 'i' frame after it is preceded by a 'd' frame with
//   the count.
// - Hold: Accept() refuses the byte; the bus interrupt holds the clock (the byte stays in
//   the bus unit) and offers it again after ReleaseClock(). Nothing is ever dropped.
//
// Each buffer belongs to one side at a time, told by two counters that each side alone
// advances: chunks handed over by the bus side, chunks queued by the serial side.
class MasterChunk {
public:
    using Pacing = protocol::Pacing;

    // Either side; takes effect with the next chunk.
    void UsePacing(Pacing pacing) { pacing_ = pacing; }
    Pacing InUse() const { return pacing_; }

    // Bus side. Whether Accept() would refuse the next byte: Hold, no chunk being
    // collected, and both buffers waiting for the serial line.
    bool MustWait() const {
        return !collecting_ && pacing_ == Pacing::Hold &&
               static_cast<uint8_t>(handed_ - queued_) == kBuffers;
    }
    // False only when MustWait().
    bool Accept(uint8_t byte);
    // Stop or repeated start: the transaction is complete.
    void EndTransaction();

    // Serial side.
    bool Ready() const { return handed_ != queued_; }
    // Queues the oldest waiting chunk as an 'i' frame, after a 'd' frame when chunks were
    // given up before it; false when the queue lacks room for both (the chunk keeps
    // waiting) or nothing waits.
    bool FlushTo(TxQueue& tx);
    // Master writes given up so far, as far as the 'd' frames have told.
    uint32_t NotForwarded() const { return notForwarded_; }

private:
    static constexpr uint8_t kBuffers = 2;

    struct Buffer {
        uint8_t count;
        // Chunks given up right before the one in this buffer; the serial side adds them to
        // notForwarded_ when it queues it.
        uint16_t givenUp;
        uint8_t bytes[protocol::FrameFormat::kMaxPayload];
    };

    // Chunk number n lives in buffer n % 2.
    Buffer& Of(uint8_t chunk) { return (chunk & 1) != 0 ? buffers_[1] : buffers_[0]; }
    void HandOver();

    Buffer buffers_[kBuffers] = {};
    volatile uint8_t handed_ = 0;
    volatile uint8_t queued_ = 0;
    // Bus side only: chunk number handed_ is being collected.
    bool collecting_ = false;
    volatile Pacing pacing_ = Pacing::Release;
    // Serial side only.
    uint32_t notForwarded_ = 0;
};

} // namespace firmware
} // namespace quillon
