#include "StatusLed.h"

#include "firmware/BoardLayout.h"
#include "Registers.h"

#include <util/atomic.h>

namespace quillon {
namespace firmware {

namespace {

volatile bool gWanted = false;
bool gLit = false;
uint16_t gSinceMs = 0;

void Light(bool on) {
    // The bus interrupt rewrites other bits of the same port register.
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        if (on) {
            PortRegister(firmware::kStatusLedPin.port) |= PinBit(firmware::kStatusLedPin);
        } else {
            PortRegister(firmware::kStatusLedPin.port) &=
                static_cast<uint8_t>(~PinBit(firmware::kStatusLedPin));
        }
    }
}

} // namespace

void StatusLed::Start() {
    Light(false);
    DirectionRegister(firmware::kStatusLedPin.port) |= PinBit(firmware::kStatusLedPin);
}

void StatusLed::Flash() {
    gWanted = true;
}

void StatusLed::Update(uint16_t nowMs) {
    const uint16_t elapsed = static_cast<uint16_t>(nowMs - gSinceMs);
    if (gLit) {
        if (elapsed >= kOnMs) {
            Light(false);
            gLit = false;
            gSinceMs = nowMs;
        }
    } else if (gWanted && elapsed >= kOffMs) {
        gWanted = false;
        Light(true);
        gLit = true;
        gSinceMs = nowMs;
    }
}

} // namespace firmware
} // namespace quillon
