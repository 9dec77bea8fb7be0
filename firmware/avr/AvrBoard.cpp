#include "AvrBoard.h"

#include "AddressStore.h"
#include "PacingStore.h"
#include "PortPins.h"
#include "StatusLed.h"
#include "TwiSlave.h"

namespace quillon {
namespace firmware {

void AvrBoard::WritePort(uint8_t value) {
    PortPins::Write(value);
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

void AvrBoard::UsePacing(Pacing pacing) {
    TwiSlave::UsePacing(pacing);
}

Pacing AvrBoard::PacingInUse() {
    return TwiSlave::Chunk().InUse();
}

bool AvrBoard::SavePacing(Pacing pacing) {
    return PacingStore::Save(pacing);
}

void AvrBoard::ReadCounters(BusCounters& counters) {
    TwiSlave::ReadCounters(counters);
    counters[static_cast<uint8_t>(protocol::Counter::NotForwarded)] =
        TwiSlave::Chunk().NotForwarded();
}

} // namespace firmware
} // namespace quillon
