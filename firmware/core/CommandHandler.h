#pragma once

#include "BoardIo.h"
#include "ReplyQueue.h"
#include "TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Carries out the library's commands as they arrive and owes their replies, exactly as
// docs/protocol.md lays them down: a command the protocol's command table refuses (SEQ 0,
// an unknown code, a payload that does not fit its code) gets no reply at all. The replies
// wait in a ReplyQueue and become frames once the transmit queue has room for them.
class CommandHandler {
public:
    // The version text must be 1..64 printable characters and outlive the handler.
    CommandHandler(BoardIo& board, const char* version, uint8_t versionLength, uint8_t address);

    // Expects !replies.Full().
    void Handle(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t length,
                ReplyQueue& replies);

    // Queues the frame of the oldest reply owed; false when the transmit queue has no room
    // for it yet. Expects !replies.Empty().
    bool SendNext(ReplyQueue& replies, TxQueue& tx) const;

    uint8_t Address() const { return address_; }

private:
    void ChangeAddress(uint8_t address);
    void Write(const uint8_t* payload, uint8_t length);

    BoardIo& board_;
    const char* version_;
    uint8_t versionLength_;
    uint8_t address_;
};

} // namespace firmware
} // namespace quillon
