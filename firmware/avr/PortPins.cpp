#include "PortPins.h"

#include "firmware/BoardLayout.h"
#include "Registers.h"

#include <util/atomic.h>
#include <util/delay.h>

namespace quillon {
namespace firmware {

namespace {

constexpr uint8_t kPowerOnPort = 0xFF;

volatile uint8_t gImage = kPowerOnPort;

// The bits of I/O port `port` that carry the set bits of the port byte `value`.
constexpr uint8_t PinBits(char port, uint8_t value) {
    uint8_t bits = 0;
    for (uint8_t i = 0; i < 8; ++i) {
        if (firmware::kPortPins[i].port == port && (value & (1u << i)) != 0) {
            bits = static_cast<uint8_t>(bits | PinBit(firmware::kPortPins[i]));
        }
    }
    return bits;
}

constexpr bool PortPinsOn(char a, char b) {
    for (const firmware::Pin& pin : firmware::kPortPins) {
        if (pin.port != a && pin.port != b) {
            return false;
        }
    }
    return true;
}
static_assert(PortPinsOn('B', 'D'), "the port pins are written through ports B and D");

// Every changing pin passes through "released, pull-up off" (high impedance), never
// through "driven high", so the pin never fights what pulls it low.
void WritePins(volatile uint8_t& direction, volatile uint8_t& output, uint8_t mask, uint8_t ones) {
    const uint8_t zeros = static_cast<uint8_t>(mask & ~ones);
    direction = static_cast<uint8_t>(direction & ~ones);
    output = static_cast<uint8_t>(output & ~zeros);
    output = static_cast<uint8_t>(output | ones);
    direction = static_cast<uint8_t>(direction | zeros);
}

// Released: an input without pull-up; a pulse only ever switches the direction.
__attribute__((always_inline)) inline void ReleaseLine(firmware::Pin pin) {
    DirectionRegister(pin.port) &= static_cast<uint8_t>(~PinBit(pin));
    PortRegister(pin.port) &= static_cast<uint8_t>(~PinBit(pin));
}

__attribute__((always_inline)) inline void PulseLine(firmware::Pin pin) {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        DirectionRegister(pin.port) |= PinBit(pin);
        _delay_us(firmware::kIntPulseMicroseconds);
        DirectionRegister(pin.port) &= static_cast<uint8_t>(~PinBit(pin));
    }
}

} // namespace

void PortPins::Start() {
    ReleaseLine(firmware::kInt1Pin);
    ReleaseLine(firmware::kInt2Pin);
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        Write(kPowerOnPort);
    }
}

void PortPins::Write(uint8_t value) {
    gImage = value;
    WritePins(DDRB, PORTB, PinBits('B', 0xFF), PinBits('B', value));
    WritePins(DDRD, PORTD, PinBits('D', 0xFF), PinBits('D', value));
}

uint8_t PortPins::Image() {
    return gImage;
}

void PortPins::Pulse(InterruptLine line) {
    switch (line) {
    case InterruptLine::Line1:
        PulseLine(firmware::kInt1Pin);
        break;
    case InterruptLine::Line2:
        PulseLine(firmware::kInt2Pin);
        break;
    case InterruptLine::None:
        break;
    }
}

} // namespace firmware
} // namespace quillon
