#include "AddressStore.h"

#include "firmware/BoardLayout.h"
#include "protocol/CommandTable.h"

#include <avr/eeprom.h>

namespace quillon {
namespace firmware {

namespace {

uint8_t* Cell(uint16_t cell) {
    return reinterpret_cast<uint8_t*>(cell);
}

bool IsStored(uint8_t address, uint8_t check) {
    // An address with the read/write bit set is never saved, so it means damage too.
    return check == static_cast<uint8_t>(~address) &&
           (address & protocol::SlaveAddress::kReadWriteBit) == 0;
}

} // namespace

uint8_t AddressStore::Load() {
    const uint8_t address = eeprom_read_byte(Cell(kEepromAddressCell));
    const uint8_t check = eeprom_read_byte(Cell(kEepromCheckCell));
    return IsStored(address, check) ? address : kDefaultSlaveAddress;
}

bool AddressStore::Save(uint8_t address) {
    // A reset between the two writes leaves a pair that does not match: the next start
    // uses the default address rather than a half-written one.
    eeprom_update_byte(Cell(kEepromAddressCell), address);
    eeprom_update_byte(Cell(kEepromCheckCell), static_cast<uint8_t>(~address));
    const uint8_t stored = eeprom_read_byte(Cell(kEepromAddressCell));
    return stored == address && IsStored(stored, eeprom_read_byte(Cell(kEepromCheckCell)));
}

} // namespace firmware
} // namespace quillon
