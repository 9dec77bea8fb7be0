#include "AdapterLoop.h"

namespace quillon {
namespace firmware {

AdapterLoop::AdapterLoop(BoardIo& board, TxQueue& tx, MasterChunk& master, const char* version,
                         uint8_t versionLength, uint8_t address)
    : board_(board), tx_(tx), master_(master), handler_(board, version, versionLength, address) {}

void AdapterLoop::Receive(uint8_t byte, uint16_t nowMs) {
    receiver_.Push(byte, nowMs);
}

void AdapterLoop::Step(uint16_t nowMs) {
    if (!receiver_.FrameReady()) {
        receiver_.CheckIdle(nowMs);
    }
    if (receiver_.FrameReady()) {
        // The transmit interrupt keeps draining the queue, so room comes by itself.
        if (tx_.Room() < handler_.ReplyRoom()) {
            return;
        }
        handler_.Handle(receiver_.Seq(), receiver_.Code(), receiver_.Payload(), receiver_.Length(),
                        tx_);
        receiver_.Consume();
        board_.Traffic();
        return;
    }
    if (master_.FlushTo(tx_)) {
        board_.ReleaseClock();
        board_.Traffic();
    }
}

} // namespace firmware
} // namespace quillon
