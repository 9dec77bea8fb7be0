#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// The saved slave address in the EEPROM cells of BoardLayout.h: the address and its
// complement, so an erased or damaged pair is recognised and the default used instead.
class AddressStore {
public:
    static uint8_t Load();
    // False when the cells do not read back as written.
    static bool Save(uint8_t address);
};

} // namespace firmware
} // namespace quillon
