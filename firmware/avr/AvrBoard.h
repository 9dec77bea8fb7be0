#pragma once

#include "firmware/core/BoardIo.h"

namespace quillon {
namespace firmware {

// The core's board, on the ATmega328P's pins, TWI unit, EEPROM and LED. It offers
// BoardIo's calls without deriving from it: the core takes its board as a template
// parameter, so on the microcontroller the calls are direct and no table of virtual
// functions is kept.
class AvrBoard {
public:
    void WritePort(uint8_t value);
    void PulseInterrupt(InterruptLine line);
    void UseAddress(uint8_t address);
    bool SaveAddress(uint8_t address);
    void ReleaseClock();
    void Traffic();
    void UsePacing(Pacing pacing);
    Pacing PacingInUse();
    bool SavePacing(Pacing pacing);
    void ReadCounters(BusCounters& counters);
};

} // namespace firmware
} // namespace quillon
