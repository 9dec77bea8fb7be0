#include "AddressStore.h"

#include "firmware/AddressSlots.h"
#include "firmware/BoardLayout.h"
#include "protocol/CommandTable.h"

#include <avr/eeprom.h>

namespace quillon {
namespace firmware {

namespace {

using protocol::SlaveAddress;

struct EepromCells {
    uint8_t Read(uint16_t cell) const {
        return eeprom_read_byte(reinterpret_cast<const uint8_t*>(cell));
    }
    void Write(uint16_t cell, uint8_t value) {
        eeprom_update_byte(reinterpret_cast<uint8_t*>(cell), value);
    }
};
bool Usable(uint8_t address) {
    // Never saved by this firmware, so they mean damage, or a save from before reserved
    // addresses were refused.
    return (address & SlaveAddress::kReadWriteBit) == 0 && !SlaveAddress::IsReserved(address);
}

} // namespace

uint8_t AddressStore::Load() {
    EepromCells cells;
    uint8_t address;
    return AddressSlots<EepromCells>(cells).Find(address) && Usable(address) ? address
                                                                             : kDefaultSlaveAddress;
}

bool AddressStore::Save(uint8_t address) {
    EepromCells cells;
    AddressSlots<EepromCells> slots(cells);
    uint8_t stored;
    // Saving what is already there would only wear the cells.
    if (!slots.Find(stored) || stored != address) {
        slots.Save(address);
    }
    return slots.Find(stored) && stored == address;
}

} // namespace firmware
} // namespace quillon
