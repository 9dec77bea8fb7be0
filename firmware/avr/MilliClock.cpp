#include "MilliClock.h"

#include "firmware/BoardLayout.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <util/atomic.h>

namespace quillon {
namespace firmware {

namespace {

constexpr uint32_t kPrescaler = 64;
constexpr uint32_t kCountsPerMs = firmware::kCpuHz / kPrescaler / 1000;
static_assert(kCountsPerMs * kPrescaler * 1000 == firmware::kCpuHz, "a tick is exactly 1 ms");
static_assert(kCountsPerMs <= 256, "timer 0 counts to 255");

volatile uint16_t gNow = 0;

} // namespace

void MilliClock::Start() {
    // Clear on compare match: the counter restarts every kCountsPerMs counts.
    TCCR0A = _BV(WGM01);
    TCCR0B = _BV(CS01) | _BV(CS00); // clock / 64
    OCR0A = static_cast<uint8_t>(kCountsPerMs - 1);
    TCNT0 = 0;
    TIMSK0 = _BV(OCIE0A);
}

uint16_t MilliClock::Now() {
    uint16_t now;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        now = gNow;
    }
    return now;
}

} // namespace firmware
} // namespace quillon

// Interrupts on at once (the compare flag clears on entry): the bus interrupt must not wait
// behind the tick.
ISR(TIMER0_COMPA_vect, ISR_NOBLOCK) {
    // Off for the two byte stores alone: the bus interrupt reads the clock, and must not
    // find one byte new and the other old.
    ATOMIC_BLOCK(ATOMIC_FORCEON) {
        quillon::firmware::gNow = static_cast<uint16_t>(quillon::firmware::gNow + 1);
    }
}
