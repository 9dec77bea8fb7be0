#pragma once

#include "firmware/BoardLayout.h"

#include <avr/io.h>
#include <stdint.h>

namespace quillon {
namespace firmware {

// The I/O registers behind a pin's port letter in BoardLayout.h. Called with constants,
// so each use folds into a plain register access.
inline volatile uint8_t& PortRegister(char port) {
    return port == 'B' ? PORTB : port == 'C' ? PORTC : PORTD;
}

inline volatile uint8_t& DirectionRegister(char port) {
    return port == 'B' ? DDRB : port == 'C' ? DDRC : DDRD;
}

constexpr uint8_t PinBit(firmware::Pin pin) {
    return static_cast<uint8_t>(1u << pin.bit);
}

constexpr bool IsKnownPort(char port) {
    return port == 'B' || port == 'C' || port == 'D';
}

} // namespace firmware
} // namespace quillon
