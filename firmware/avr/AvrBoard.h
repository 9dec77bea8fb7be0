#pragma once

#include "firmware/core/BoardIo.h"

namespace quillon {
namespace firmware {

// The core's board, on the ATmega328P's pins, TWI unit, EEPROM and LED.
class AvrBoard final : public BoardIo {
public:
    void WritePort(uint8_t value) override;
    void PulseInterrupt(InterruptLine line) override;
    void UseAddress(uint8_t address) override;
    bool SaveAddress(uint8_t address) override;
    void ReleaseClock() override;
    void Traffic() override;
    void UsePacing(Pacing pacing) override;
    Pacing PacingInUse() override;
    bool SavePacing(Pacing pacing) override;
    void ReadCounters(BusCounters& counters) override;
};

} // namespace firmware
} // namespace quillon
