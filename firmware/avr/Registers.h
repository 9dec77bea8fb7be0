#pragma once

#include "firmware/BoardLayout.h"

#include <avr/io.h>
#include <stdint.h>
#include <util/twi.h>

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

// GPIOR0 holds the bus status from the bus interrupt's head to its C part. The main loop
// puts this mark there before it looks for work; the bus interrupt (which never gives this
// status) and the receive interrupt overwrite it, so the mark still there after the look
// means no interrupt has brought work since.
constexpr uint8_t kNoWorkMark = TW_NO_INFO;

inline void MarkWork() {
    GPIOR0 = 0;
}

constexpr bool IsKnownPort(char port) {
    return port == 'B' || port == 'C' || port == 'D';
}

} // namespace firmware
} // namespace quillon
