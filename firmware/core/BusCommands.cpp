#include "BusCommands.h"

#include "protocol/CommandTable.h"

namespace quillon {
namespace firmware {

uint8_t BusCommands::Pacing(BoardIo& board, uint8_t request) {
    // Stored first and used only once stored: a pacing that would be gone after the next
    // reset is not taken, and the reply, which names the pacing in effect, shows it.
    if (request != protocol::kPacingAsk) {
        const auto wanted = static_cast<firmware::Pacing>(request);
        if (wanted != board.PacingInUse() && board.SavePacing(wanted)) {
            board.UsePacing(wanted);
        }
    }
    return static_cast<uint8_t>(board.PacingInUse());
}

} // namespace firmware
} // namespace quillon
