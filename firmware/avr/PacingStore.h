#pragma once

#include "protocol/CommandTable.h"

namespace quillon {
namespace firmware {

// The saved pacing in the EEPROM cells of BoardLayout.h: the value and its complement, so
// an erased or damaged pair is recognised and release used instead.
class PacingStore {
public:
    static protocol::Pacing Load();
    // False when the cells do not read back as written.
    static bool Save(protocol::Pacing pacing);
};

} // namespace firmware
} // namespace quillon
