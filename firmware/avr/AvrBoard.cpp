#include "AvrBoard.h"

#include "AddressStore.h"
#include "PortPins.h"
#include "StatusLed.h"
#include "TwiSlave.h"

#include <util/atomic.h>

namespace quillon {
namespace firmware {

void AvrBoard::WritePort(uint8_t value) {
    // The bus interrupt writes the port too.
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        PortPins::Write(value);
    }
}

void AvrBoard::PulseInterrupt(InterruptLine line) {
    PortPins::Pulse(line);
}

void AvrBoard::UseAddress(uint8_t address) {
    TwiSlave::UseAddress(address);
}

bool AvrBoard::SaveAddress(uint8_t address) {
    return AddressStore::Save(address);
}

void AvrBoard::ReleaseClock() {
    TwiSlave::ReleaseClock();
}

void AvrBoard::Traffic() {
    StatusLed::Flash();
}

} // namespace firmware
} // namespace quillon
