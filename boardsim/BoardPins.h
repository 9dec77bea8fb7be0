#pragma once

#include "firmware/BoardLayout.h"

#include <cstdint>

namespace quillon::boardsim {

// The levels of the expander's pins as the outside world sees them, from the firmware's
// data direction and output registers. A port pin is quasi-bidirectional: it reads 1
// unless the firmware drives it low (DDR 1, PORT 0). An interrupt line is open drain and
// active low: asserted exactly when driven low.
class BoardPins {
public:
    // DDR and PORT of the I/O ports B, C and D.
    struct Registers {
        uint8_t ddr[3] = {0, 0, 0};
        uint8_t port[3] = {0, 0, 0};
    };

    static bool DrivenLow(const Registers& r, firmware::Pin pin);
    static uint8_t PortImage(const Registers& r);
    // Line 1 or 2.
    static bool InterruptAsserted(const Registers& r, int line);
    // Index into Registers of an I/O port letter ('B', 'C', 'D').
    static int PortIndex(char letter);
};

} // namespace quillon::boardsim
