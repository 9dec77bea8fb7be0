#include "PortPins.h"

#include "BusTimer.h"
#include "Registers.h"
#include "firmware/BoardLayout.h"

#include <util/atomic.h>

namespace quillon {
namespace firmware {

namespace {

constexpr uint8_t kPowerOnPort = 0xFF;

// The port byte reaches each I/O port with one shift and one mask, worked out here from
// kPortPins: the pins one I/O port carries must keep the order of the port byte's bits, so
// that a single shift moves them all. A run-time loop over the pin table would cost the bus
// interrupt over a thousand cycles per write.
constexpr int kNoPin = 99;

constexpr int ShiftOf(char port) {
    int shift = kNoPin;
    for (uint8_t i = 0; i < 8; ++i) {
        if (firmware::kPortPins[i].port != port) {
            continue;
        }
        const int pinShift = firmware::kPortPins[i].bit - i;
        if (shift != kNoPin && shift != pinShift) {
            return -kNoPin;
        }
        shift = pinShift;
    }
    return shift == kNoPin ? 0 : shift;
}

constexpr uint8_t MaskOf(char port) {
    uint8_t mask = 0;
    for (const firmware::Pin& pin : firmware::kPortPins) {
        if (pin.port == port) {
            mask = static_cast<uint8_t>(mask | PinBit(pin));
        }
    }
    return mask;
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
static_assert(ShiftOf('B') != -kNoPin && ShiftOf('D') != -kNoPin,
              "the port pins on one I/O port keep the order of the port byte's bits");

constexpr uint8_t kMaskB = MaskOf('B');
constexpr uint8_t kMaskD = MaskOf('D');
constexpr int kShiftB = ShiftOf('B');
constexpr int kShiftD = ShiftOf('D');

// The bits of an I/O port that carry the set bits of the port byte.
template <int Shift, uint8_t Mask> inline uint8_t Spread(uint8_t value) {
    return static_cast<uint8_t>((Shift >= 0 ? value << (Shift & 7) : value >> (-Shift & 7)) & Mask);
}

// One I/O port's direction and output registers on the way to a new port byte: first every
// changing pin released with its pull-up off (high impedance), then the final state, so a
// pin never drives high against whatever pulls it low. The other bits of both registers
// (interrupt lines, LED, UART) keep the values read.
struct Step {
    uint8_t direction;
    uint8_t output;
};

struct Images {
    Step released;
    Step final;
};

inline Images Plan(uint8_t direction, uint8_t output, uint8_t mask, uint8_t ones) {
    const uint8_t zeros = static_cast<uint8_t>(mask & ~ones);
    Images images;
    images.released.direction = static_cast<uint8_t>(direction & ~ones);
    images.released.output = static_cast<uint8_t>(output & ~zeros);
    images.final.direction = static_cast<uint8_t>((direction & ~mask) | zeros);
    images.final.output = static_cast<uint8_t>((output & ~mask) | ones);
    return images;
}

// Released: an input without pull-up; a pulse only ever switches the direction.
__attribute__((always_inline)) inline void ReleaseLine(firmware::Pin pin) {
    DirectionRegister(pin.port) &= static_cast<uint8_t>(~PinBit(pin));
    PortRegister(pin.port) &= static_cast<uint8_t>(~PinBit(pin));
}

static_assert(firmware::kInt1Pin.port == firmware::kInt2Pin.port,
              "both interrupt lines are driven through one direction register");

// One copy of the timed pulse for both lines, told apart by their bit alone.
void PulseBit(uint8_t bit) {
    volatile uint8_t& direction = DirectionRegister(firmware::kInt1Pin.port);
    // Interrupts stay on: the bus and the serial line are served during the pulse, and
    // only the two register changes are shielded from the bus interrupt, which rewrites
    // the same direction register. An interrupt that runs as the pulse's time is up makes
    // it longer by its own few microseconds.
    uint8_t start;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        direction |= bit;
        start = BusTimer::LowTicks();
    }
    while (static_cast<uint8_t>(BusTimer::LowTicks() - start) < BusTimer::kIntPulseTicks) {
    }
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        direction &= static_cast<uint8_t>(~bit);
    }
}

} // namespace

volatile uint8_t PortPins::image = kPowerOnPort;

void PortPins::Start() {
    ReleaseLine(firmware::kInt1Pin);
    ReleaseLine(firmware::kInt2Pin);
    Write(kPowerOnPort);
}

void PortPins::Write(uint8_t value) {
    // Planned with interrupts on when the main loop writes, so the bus interrupt's head is
    // not kept waiting. A bus write that comes between plan and stores leaves a plan with
    // the port bits from before it: its released step differs, but no pin ever drives high,
    // and the image and the pins agree, whichever write comes last.
    const Images b = Plan(DDRB, PORTB, kMaskB, Spread<kShiftB, kMaskB>(value));
    const Images d = Plan(DDRD, PORTD, kMaskD, Spread<kShiftD, kMaskD>(value));
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        image = value;
        // Back to back, so all eight pins move within a microsecond of each other.
        DDRB = b.released.direction;
        DDRD = d.released.direction;
        PORTB = b.released.output;
        PORTD = d.released.output;
        PORTB = b.final.output;
        PORTD = d.final.output;
        DDRB = b.final.direction;
        DDRD = d.final.direction;
    }
}

void PortPins::Pulse(InterruptLine line) {
    if (line != InterruptLine::None) {
        PulseBit(line == InterruptLine::Line1 ? PinBit(firmware::kInt1Pin)
                                              : PinBit(firmware::kInt2Pin));
    }
}

} // namespace firmware
} // namespace quillon
