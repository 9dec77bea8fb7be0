#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// Frees the bus when a transaction addressed to the board stops half-way: a master that
// is reset, unplugged or faulty can leave the TWI unit waiting for clocks that never come,
// possibly holding SDA low (an acknowledge, or a 0 bit of a byte being read), which blocks
// every other device on the bus. After kTimeoutMs without a bus status while addressed,
// the TWI unit is switched off and on again: it lets go of SDA and SCL and listens for the
// next START. SMBus allows a device to give up after 25..35 ms of a stuck transaction.
// While the firmware itself holds the clock for the serial line it is not stuck: that
// ends when the main loop has queued the waiting data (and if the main loop stops, the
// watchdog resets the board).
class BusGuard {
public:
    static constexpr uint16_t kTimeoutMs = 30;

    // From the bus interrupt, with each status it handles.
    static void Seen(uint8_t status);
    // From the main loop, as often as it turns, with interrupts on (the bus interrupt must
    // not wait behind it): whether the transaction in progress looks stuck, the clock held
    // by the firmware itself excepted.
    static bool Stuck(uint16_t nowMs, bool clockHeld);
    // With interrupts off, after Stuck said so: whether still no status has come, in which
    // case it takes the transaction for ended.
    static bool StillStuck();
};

} // namespace firmware
} // namespace quillon
