#pragma once

#include "BoardIo.h"
#include "CommandHandler.h"
#include "FrameReceiver.h"
#include "MasterChunk.h"
#include "TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The adapter's main loop, without the hardware: bytes from the serial line go in,
// commands are carried out, replies and master data go out through the transmit queue.
// Nothing here waits; the caller runs it over and over:
//
//     if (loop.WantsByte() && <a received byte is waiting>) loop.Receive(byte, now);
//     else loop.Step(now);
//
// Order of the serial line: a received command is answered before more master data is
// queued, so a master writing at line capacity cannot starve the library's commands, and
// the library sends only one command at a time, so the master is held up for one reply
// at most.
class AdapterLoop {
public:
    AdapterLoop(BoardIo& board, TxQueue& tx, MasterChunk& master, const char* version,
                uint8_t versionLength, uint8_t address);

    // Whether a received byte can be taken now (not while a command waits for room).
    bool WantsByte() const { return !receiver_.FrameReady(); }
    void Receive(uint8_t byte, uint16_t nowMs);

    // Everything else between bytes: answers a waiting command when its reply fits,
    // applies the idle rule, queues waiting master data.
    void Step(uint16_t nowMs);

    uint8_t Address() const { return handler_.Address(); }

    // Nothing waits that a byte or the clock moving on would not bring: no command waiting
    // for room on the line, no stale start bytes left to give up (one goes per Step), no
    // master data waiting to go out. The board may sleep then.
    bool Idle(uint16_t nowMs) const {
        return !receiver_.FrameReady() && !receiver_.IdleExpired(nowMs) && !master_.Ready();
    }

private:
    BoardIo& board_;
    TxQueue& tx_;
    MasterChunk& master_;
    FrameReceiver receiver_;
    CommandHandler handler_;
};

} // namespace firmware
} // namespace quillon
