#include "PacingStore.h"

#include "firmware/BoardLayout.h"

#include <avr/eeprom.h>

namespace quillon {
namespace firmware {

namespace {

using protocol::Pacing;

uint8_t* Cell(uint16_t cell) {
    return reinterpret_cast<uint8_t*>(cell);
}

bool IsStored(uint8_t value, uint8_t check) {
    return check == static_cast<uint8_t>(~value) &&
           (value == static_cast<uint8_t>(Pacing::Release) ||
            value == static_cast<uint8_t>(Pacing::Hold));
}

} // namespace

Pacing PacingStore::Load() {
    const uint8_t value = eeprom_read_byte(Cell(kEepromPacingCell));
    const uint8_t check = eeprom_read_byte(Cell(kEepromPacingCheckCell));
    return IsStored(value, check) ? static_cast<Pacing>(value) : kDefaultPacing;
}

bool PacingStore::Save(Pacing pacing) {
    // A reset between the two writes leaves a pair that does not match: the next start
    // releases, the setting an adapter never told otherwise has.
    const auto value = static_cast<uint8_t>(pacing);
    eeprom_update_byte(Cell(kEepromPacingCell), value);
    eeprom_update_byte(Cell(kEepromPacingCheckCell), static_cast<uint8_t>(~value));
    const uint8_t stored = eeprom_read_byte(Cell(kEepromPacingCell));
    return stored == value && IsStored(stored, eeprom_read_byte(Cell(kEepromPacingCheckCell)));
}

} // namespace firmware
} // namespace quillon
