#pragma once

#include <QString>

#include <cstdint>

// The adapter's slave address in its 8-bit (write) form, as the two chip types of the
// expander family use it: PCF8574 at 0x40..0x4E, PCF8574A at 0x70..0x7E, the pins A2..A0
// in bits 3..1.
namespace quillon::cli {

enum class Chip { None, PCF8574, PCF8574A };

constexpr uint8_t kPCF8574Base = 0x40;
constexpr uint8_t kPCF8574ABase = 0x70;
// Bit 0 is the read/write bit of the bus, never part of the address; bits 1..3 are A0..A2.
constexpr uint8_t kPinMask = 0x0E;

Chip ChipOf(uint8_t address);

// Only an address one of the two chips can answer on can be set.
inline bool IsSettable(uint8_t address) {
    return ChipOf(address) != Chip::None;
}

// The levels of A2, A1, A0 as "101".
QString PinText(uint8_t address);
QString ChipName(Chip chip);

// "PCF8574, A2..A0 = 000", or "not a PCF8574 or PCF8574A address".
QString Describe(uint8_t address);

} // namespace quillon::cli
