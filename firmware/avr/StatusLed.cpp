#include "StatusLed.h"

#include "Registers.h"
#include "firmware/BoardLayout.h"

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
    // Lit and dark phases take equally long, so one test ends either.
    if (static_cast<uint16_t>(nowMs - gSinceMs) < kPhaseMs || (!gLit && !gWanted)) {
        return;
    }
    const bool on = !gLit;
    if (on) {
        gWanted = false;
    }
    Light(on);
    gLit = on;
    gSinceMs = nowMs;
}

} // namespace firmware
} // namespace quillon
