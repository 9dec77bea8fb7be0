#pragma once

// Where the adapter firmware puts things on an ATmega328P board (Arduino Uno, Nano and
// their clones), in one place: the firmware drives these pins and keeps its settings in
// these EEPROM cells, and the board simulator watches the very same pins and cells.
// Plain C++14 with no target headers, so the firmware (avr-g++) and the host programs can
// both include it.

#include "protocol/CommandTable.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

constexpr uint32_t kCpuHz = 16000000UL;

// A pin by its I/O port letter and bit, e.g. {'D', 2} is PD2 (Arduino D2).
struct Pin {
    char port;
    uint8_t bit;
};

// The expander's port P0..P7 on the Arduino header pins D2..D9, in order, so the wiring
// is one straight run of eight pins. Each behaves as the expander's quasi-bidirectional
// pin: 0 = driven low, 1 = released with the pull-up on.
constexpr Pin kPortPins[8] = {{'D', 2}, {'D', 3}, {'D', 4}, {'D', 5},
                              {'D', 6}, {'D', 7}, {'B', 0}, {'B', 1}};

// The two interrupt lines towards the bus master, active low and open drain: released =
// input without pull-up (the master side pulls up), asserted = driven low.
constexpr Pin kInt1Pin = {'B', 2}; // D10
constexpr Pin kInt2Pin = {'B', 3}; // D11
// How long an interrupt line is held low for one pulse.
constexpr uint16_t kIntPulseMicroseconds = 100;

// The board's own LED (D13), blinked on serial and bus traffic.
constexpr Pin kStatusLedPin = {'B', 5};

// The TWI unit's fixed pins, for the wiring notes: SDA = A4, SCL = A5.
constexpr Pin kSdaPin = {'C', 4};
constexpr Pin kSclPin = {'C', 5};

// EEPROM cells: the saved slave address (8-bit form) and its bitwise complement. A pair
// that does not match (an erased EEPROM reads 0xFF 0xFF) means nothing valid is stored.
constexpr uint16_t kEepromAddressCell = 0;
constexpr uint16_t kEepromCheckCell = 1;
constexpr uint8_t kDefaultSlaveAddress = protocol::SlaveAddress::kDefault;
// The pacing (protocol::Pacing) and its bitwise complement, the same way: a pair that does
// not match, as an erased EEPROM's, means release.
constexpr uint16_t kEepromPacingCell = 8;
constexpr uint16_t kEepromPacingCheckCell = 9;
constexpr protocol::Pacing kDefaultPacing = protocol::Pacing::Release;

} // namespace firmware
} // namespace quillon
