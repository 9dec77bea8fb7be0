#pragma once

#include "protocol/CommandTable.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The interrupt line a port write pulses: the protocol's interrupt type.
using InterruptLine = protocol::InterruptType;
using Pacing = protocol::Pacing;
// The counters reply's counters, in the order of protocol::Counter.
using BusCounters = uint32_t[protocol::kCounterCount];

// What the portable core asks of the board. The microcontroller build implements it with
// registers; the host tests implement it with a recorder.
class BoardIo {
public:
    // Puts the port byte on the pins (and into the image a master read returns).
    virtual void WritePort(uint8_t value) = 0;
    // One active-low pulse on the line; returns once the line is released again.
    virtual void PulseInterrupt(InterruptLine line) = 0;
    // Answers the bus master on this address (8-bit form) from now on.
    virtual void UseAddress(uint8_t address) = 0;
    // Makes the address survive a reset; false when it did not get stored.
    virtual bool SaveAddress(uint8_t address) = 0;
    // The master data waiting for the serial line has been queued: a bus clock held
    // for it may run again.
    virtual void ReleaseClock() = 0;
    // Something went over the serial line or the bus (for the status LED).
    virtual void Traffic() = 0;
    // What the bus side does when the serial line is behind the master, from now on.
    virtual void UsePacing(Pacing pacing) = 0;
    virtual Pacing PacingInUse() = 0;
    // Makes the pacing survive a reset; false when it did not get stored.
    virtual bool SavePacing(Pacing pacing) = 0;
    // The bus counters as they stand.
    virtual void ReadCounters(BusCounters& counters) = 0;

protected:
    // Never deleted through this interface, so no virtual destructor (and no operator
    // delete on the microcontroller).
    ~BoardIo() = default;
};

} // namespace firmware
} // namespace quillon
