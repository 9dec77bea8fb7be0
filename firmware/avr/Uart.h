#pragma once

#include "firmware/core/TxQueue.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// UART0 at the line settings of docs/protocol.md (9600 8N1), both directions driven by
// interrupts: received bytes wait in a small ring for the main loop, and the transmit
// interrupt empties the output queue on its own, whatever the main loop is doing.
class Uart {
public:
    static void Start();
    static bool TakeReceived(uint8_t& byte);
    static bool HasReceived();
    static TxQueue& Output();
    // Call after queueing: starts the transmit interrupt if it had run dry.
    static void Kick();
};

} // namespace firmware
} // namespace quillon
