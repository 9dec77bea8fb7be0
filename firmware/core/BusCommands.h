#pragma once

#include "BoardIo.h"
#include "protocol/CommandTable.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The commands about the bus side itself rather than the expander. The counters ('Q') need
// nothing but their reply; the pacing ('P') is worked out here once the protocol's command
// table has accepted it.
class BusCommands {
public:
    // request: a Pacing value, or protocol::kPacingAsk to change nothing. Returns the
    // pacing in effect afterwards, which the reply names. Board offers BoardIo's calls.
    template <class Board> static uint8_t Pacing(Board& board, uint8_t request) {
        // Stored first and used only once stored: a pacing that would be gone after the
        // next reset is not taken, and the reply, which names the pacing in effect, shows
        // it.
        if (request != protocol::kPacingAsk) {
            const auto wanted = static_cast<firmware::Pacing>(request);
            if (wanted != board.PacingInUse() && board.SavePacing(wanted)) {
                board.UsePacing(wanted);
            }
        }
        return static_cast<uint8_t>(board.PacingInUse());
    }
};

} // namespace firmware
} // namespace quillon
