#pragma once

#include "firmware/core/BoardIo.h"
#include "firmware/core/MasterChunk.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The expander's bus side on the TWI unit, as a slave receiver and transmitter: a master
// read gets the port image, every byte a master writes goes to the port and into the
// master chunk. The interrupt lets the bus go on first and does its work after, so the
// master's clock is not held longer than the interrupt takes to start. Only with Hold
// pacing, when the chunk cannot take a byte yet, does it leave the unit's interrupt flag
// set, which holds the clock low (clock stretching), and switch its own interrupt off
// until ReleaseClock().
class TwiSlave {
public:
    // address in 8-bit form (bit 0 clear).
    static void Start(uint8_t address);
    static void UseAddress(uint8_t address);
    static void ReleaseClock();
    // From the main loop.
    static void UsePacing(protocol::Pacing pacing);
    static MasterChunk& Chunk();
    // Master writes, reads and address-only transactions so far, and the longest clock
    // hold; not the writes not forwarded, which the chunk counts.
    static void ReadCounters(BusCounters& counters);
};

} // namespace firmware
} // namespace quillon
