#include "AdapterLoop.h"

namespace quillon {
namespace firmware {

AdapterLoop::AdapterLoop(BoardIo& board, TxQueue& tx, MasterChunk& master, const char* version,
                         uint8_t versionLength, uint8_t address)
    : board_(board), tx_(tx), master_(master), handler_(board, version, versionLength, address) {}

void AdapterLoop::Receive(uint8_t byte, uint16_t nowMs) {
    receiver_.Push(byte, nowMs);
    TakeFrames();
}

void AdapterLoop::Step(uint16_t nowMs) {
    receiver_.CheckIdle(nowMs);
    TakeFrames();
    if (cut_ && receiver_.LineIdle(nowMs)) {
        cut_ = false;
    }
    if (!replies_.Empty()) {
        // The transmit interrupt keeps draining the queue, so room comes by itself.
        handler_.SendNext(replies_, tx_);
        return;
    }
    if (master_.FlushTo(tx_)) {
        board_.ReleaseClock();
        board_.Traffic();
    }
}

void AdapterLoop::TakeFrames() {
    // The bytes behind a frame that failed its check can hold more than one frame.
    while (receiver_.FrameReady()) {
        if (replies_.Full()) {
            cut_ = true;
        }
        if (!cut_) {
            handler_.Handle(receiver_.Seq(), receiver_.Code(), receiver_.Payload(),
                            receiver_.Length(), replies_);
        }
        receiver_.Consume();
        board_.Traffic();
    }
}

} // namespace firmware
} // namespace quillon
