#pragma once

#include "TxQueue.h"
#include "protocol/FrameFormat.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Collects what the bus master writes, in bus order, until it can go out as one unsolicited
// 'i' frame: at the end of the transaction, or as soon as a frame is full (127 bytes), so
// a longer transaction goes out in frames of 127 and a last shorter one.
//
// The bus side runs in the bus interrupt, the serial side in the main loop. While a chunk
// waits for room on the serial line, Accept() refuses the next byte; the bus interrupt
// then holds the clock (the byte stays in the bus unit) and offers it again once
// ReleaseClock() is called. Nothing the master writes is ever dropped.
class MasterChunk {
public:
    // Bus side. False while the previous chunk still waits for the serial line.
    bool Accept(uint8_t byte);
    // Stop or repeated start: the transaction is complete.
    void EndTransaction();

    // Serial side.
    bool Ready() const { return ready_; }
    // Queues the waiting chunk as an 'i' frame; false when the queue lacks room (the
    // chunk keeps waiting) or nothing waits.
    bool FlushTo(TxQueue& tx);

private:
    uint8_t bytes_[protocol::FrameFormat::kMaxPayload] = {};
    volatile uint8_t count_ = 0;
    // Set by the bus side when the chunk is complete, cleared by the serial side once it
    // is queued; whoever does not own the chunk at the moment leaves it alone.
    volatile bool ready_ = false;
};

} // namespace firmware
} // namespace quillon
