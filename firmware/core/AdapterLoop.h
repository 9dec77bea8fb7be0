#pragma once

#include "BoardIo.h"
#include "CommandHandler.h"
#include "FrameReceiver.h"
#include "MasterChunk.h"
#include "ReplyQueue.h"
#include "TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The adapter's main loop, without the hardware: bytes from the serial line go in,
// commands are carried out, replies and master data go out through the transmit queue.
// Nothing here waits; the caller runs it over and over:
//
//     if (<a received byte is waiting>) loop.Receive(byte, now);
//     else loop.Step(now);
//
// Every byte is taken at once: a command is carried out as soon as its frame is whole and
// its reply waits in the reply queue, so a pipeline of commands whose replies are longer
// than the commands (a version reply is 33 bytes for a 5-byte `V`) never backs up into the
// receive ring. Order of the serial line: replies go out in command order, and all replies
// owed go out before more master data is queued, so a master writing at line capacity
// cannot starve the library's commands.
//
// Board offers BoardIo's calls (see CommandHandler).
template <class Board = BoardIo> class AdapterLoop {
public:
    AdapterLoop(Board& board, TxQueue& tx, MasterChunk& master, const char* version,
                uint8_t versionLength, uint8_t address)
        : board_(board), tx_(tx), master_(master),
          handler_(board, version, versionLength, address) {}

    void Receive(uint8_t byte, uint16_t nowMs) {
        receiver_.Push(byte, nowMs);
        TakeFrames();
    }

    // Everything else between bytes: applies the idle rule, queues the next reply owed
    // when it fits, else waiting master data.
    void Step(uint16_t nowMs);

    uint8_t Address() const { return handler_.Address(); }

    // Nothing waits that a byte or the clock moving on would not bring: no reply owed, no
    // stale start bytes left to give up (one goes per Step), no master data waiting to go
    // out. The board may sleep then.
    bool Idle(uint16_t nowMs) const {
        return replies_.Empty() && !receiver_.IdleExpired(nowMs) && !master_.Ready();
    }

private:
    // Carries out the frames the receiver has found. A command that finds every run of
    // the reply queue taken (a long pipeline of mixed commands) cuts the pipeline: it and
    // every command behind it until the line next rests are dropped whole, neither carried
    // out nor answered. The sender sees time-outs from that command on, never a wrong
    // reply, and no later command of the same burst takes effect without the ones before.
    void TakeFrames();

    Board& board_;
    TxQueue& tx_;
    MasterChunk& master_;
    FrameReceiver receiver_;
    CommandHandler<Board> handler_;
    ReplyQueue replies_;
    bool cut_ = false;
};

template <class Board> void AdapterLoop<Board>::Step(uint16_t nowMs) {
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

template <class Board> void AdapterLoop<Board>::TakeFrames() {
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
