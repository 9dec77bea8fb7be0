#pragma once

#include "BoardIo.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The commands about the bus side itself rather than the expander. The counters ('Q') need
// nothing but their reply; the pacing ('P') is worked out here once the protocol's command
// table has accepted it.
class BusCommands {
public:
    // request: a Pacing value, or protocol::kPacingAsk to change nothing. Returns the
    // pacing in effect afterwards, which the reply names.
    static uint8_t Pacing(BoardIo& board, uint8_t request);
};

} // namespace firmware
} // namespace quillon
