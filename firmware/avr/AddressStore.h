#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// The saved slave address in the EEPROM (AddressSlots): the default when nothing usable is
// stored.
class AddressStore {
public:
    static uint8_t Load();
    // False when the cells do not read back as written.
    static bool Save(uint8_t address);
};

} // namespace firmware
} // namespace quillon
