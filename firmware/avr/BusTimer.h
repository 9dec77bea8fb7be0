#pragma once

#include "firmware/BoardLayout.h"

#include <avr/io.h>
#include <stdint.h>

namespace quillon {
namespace firmware {

// Timer 1 running free at half-microsecond ticks: it times the interrupt pulses with
// interrupts on, and measures how long the bus side holds the bus clock. It wraps every
// 32.768 ms, so only differences of times closer than that are meaningful.
class BusTimer {
public:
    static constexpr uint8_t kPrescaler = 8;
    static constexpr uint8_t kTicksPerUs = static_cast<uint8_t>(kCpuHz / kPrescaler / 1000000UL);
    static constexpr uint16_t kIntPulseTicks =
        static_cast<uint16_t>(kIntPulseMicroseconds * kTicksPerUs);

    static void Start();
    // With interrupts off only: a 16-bit read goes through the timer's one shared
    // high-byte register, which an interrupt handler reading the timer would overwrite.
    static uint16_t Ticks() { return TCNT1; }
    // The low byte alone, a single read, safe anywhere: it times spans up to 127 us.
    static uint8_t LowTicks() { return TCNT1L; }
};

static_assert(kCpuHz % (BusTimer::kPrescaler * 1000000UL) == 0, "a tick is a whole part of a us");
static_assert(BusTimer::kIntPulseTicks < 256, "the pulse is timed with the low byte alone");

} // namespace firmware
} // namespace quillon
