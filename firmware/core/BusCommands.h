#pragma once

#include "BoardIo.h"
#include "TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The commands about the bus side itself rather than the expander: the pacing ('P') and
// the bus counters ('Q'). The command handler passes them on once the protocol's command
// table has accepted them.
class BusCommands {
public:
    // request: a Pacing value, or protocol::kPacingAsk to change nothing.
    static void Pacing(BoardIo& board, uint8_t seq, uint8_t reply, uint8_t request, TxQueue& tx);
    static void Counters(BoardIo& board, uint8_t seq, uint8_t reply, TxQueue& tx);
};

} // namespace firmware
} // namespace quillon
