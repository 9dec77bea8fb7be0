#include "BoardPins.h"

namespace quillon::boardsim {

int BoardPins::PortIndex(char letter) {
    return letter - 'B';
}

bool BoardPins::DrivenLow(const Registers& r, firmware::Pin pin) {
    const int i = PortIndex(pin.port);
    const uint8_t mask = uint8_t(1u << pin.bit);
    return (r.ddr[i] & mask) != 0 && (r.port[i] & mask) == 0;
}

uint8_t BoardPins::PortImage(const Registers& r) {
    uint8_t image = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (!DrivenLow(r, firmware::kPortPins[bit])) {
            image = uint8_t(image | (1u << bit));
        }
    }
    return image;
}

bool BoardPins::InterruptAsserted(const Registers& r, int line) {
    return DrivenLow(r, line == 1 ? firmware::kInt1Pin : firmware::kInt2Pin);
}

} // namespace quillon::boardsim
