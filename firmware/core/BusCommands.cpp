#include "BusCommands.h"

#include "protocol/CommandTable.h"

namespace quillon {
namespace firmware {

void BusCommands::Pacing(BoardIo& board, uint8_t seq, uint8_t reply, uint8_t request, TxQueue& tx) {
    // Stored first and used only once stored: a pacing that would be gone after the next
    // reset is not taken, and the reply, which names the pacing in effect, shows it.
    if (request != protocol::kPacingAsk) {
        const auto wanted = static_cast<firmware::Pacing>(request);
        if (wanted != board.PacingInUse() && board.SavePacing(wanted)) {
            board.UsePacing(wanted);
        }
    }
    const auto inUse = static_cast<uint8_t>(board.PacingInUse());
    tx.PutFrame(seq, reply, &inUse, protocol::kPacingSize);
}

void BusCommands::Counters(BoardIo& board, uint8_t seq, uint8_t reply, TxQueue& tx) {
    BusCounters counters = {};
    board.ReadCounters(counters);
    tx.PutCounters(seq, reply, counters, protocol::kCounterCount);
}

} // namespace firmware
} // namespace quillon
