#pragma once

#include "BoardIo.h"
#include "TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Carries out the library's commands and queues their replies, exactly as
// docs/protocol.md lays them down: a command the protocol's command table refuses (SEQ 0,
// an unknown code, a payload that does not fit its code) gets no reply at all.
class CommandHandler {
public:
    // The version text must be 1..64 printable characters and outlive the handler.
    CommandHandler(BoardIo& board, const char* version, uint8_t versionLength, uint8_t address);

    // Queue room a reply may need; Handle() expects at least this much.
    uint8_t ReplyRoom() const;

    void Handle(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t length, TxQueue& tx);

    uint8_t Address() const { return address_; }

private:
    void ChangeAddress(uint8_t address);
    void Write(uint8_t seq, uint8_t reply, const uint8_t* payload, uint8_t length, TxQueue& tx);

    BoardIo& board_;
    const char* version_;
    uint8_t versionLength_;
    uint8_t address_;
};

} // namespace firmware
} // namespace quillon
