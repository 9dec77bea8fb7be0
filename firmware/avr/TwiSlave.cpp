#include "TwiSlave.h"

#include "BusGuard.h"
#include "PortPins.h"
#include "Registers.h"
#include "StatusLed.h"
#include "firmware/BoardLayout.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <util/atomic.h>
#include <util/twi.h>

namespace quillon {
namespace firmware {

namespace {

// Enabled, acknowledging our address and every byte, interrupt on. Written without TWINT,
// which leaves a pending flag (and so a held clock) alone.
constexpr uint8_t kListen = _BV(TWEN) | _BV(TWEA) | _BV(TWIE);
// The same with our interrupt off: the flag stays set and the clock stays held.
constexpr uint8_t kHold = _BV(TWEN) | _BV(TWEA);
// Writing TWINT clears the flag: the unit carries on with the bus.
constexpr uint8_t kContinue = kListen | _BV(TWINT);
// After a bus error: release the lines without sending anything.
constexpr uint8_t kRecover = kContinue | _BV(TWSTO);

static_assert(firmware::kSdaPin.port == firmware::kSclPin.port, "SDA and SCL share one I/O port");

MasterChunk gChunk;

} // namespace

void TwiSlave::Start(uint8_t address) {
    // No internal pull-ups on SDA and SCL: they would pull the bus towards 5 V. The bus
    // brings its own.
    DirectionRegister(firmware::kSdaPin.port) &=
        static_cast<uint8_t>(~(PinBit(firmware::kSdaPin) | PinBit(firmware::kSclPin)));
    PortRegister(firmware::kSdaPin.port) &=
        static_cast<uint8_t>(~(PinBit(firmware::kSdaPin) | PinBit(firmware::kSclPin)));
    UseAddress(address);
    TWCR = kListen;
}

void TwiSlave::UseAddress(uint8_t address) {
    // TWAR holds the 7-bit address in bits 7..1, which is the 8-bit form; bit 0 (general
    // call) stays off.
    TWAR = static_cast<uint8_t>(address & ~_BV(TWGCE));
}

void TwiSlave::ReleaseClock() {
    TWCR = kListen;
}

void TwiSlave::Guard(uint16_t nowMs) {
    // With interrupts off, so no status comes between the verdict and the restart.
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        // Our interrupt off with the flag set is the clock held for the serial line.
        if (BusGuard::Stuck(nowMs, (TWCR & _BV(TWIE)) == 0)) {
            // Off lets go of SDA and SCL at once, whatever the unit was doing.
            TWCR = 0;
            gChunk.EndTransaction();
            TWCR = kListen;
        }
    }
}

MasterChunk& TwiSlave::Chunk() {
    return gChunk;
}

} // namespace firmware
} // namespace quillon

ISR(TWI_vect) {
    using quillon::firmware::gChunk;
    using quillon::firmware::PortPins;
    using quillon::firmware::StatusLed;
    quillon::firmware::BusGuard::Seen(TW_STATUS);
    switch (TW_STATUS) {
    case TW_SR_SLA_ACK:
    case TW_SR_ARB_LOST_SLA_ACK:
        StatusLed::Flash();
        break;
    case TW_SR_DATA_ACK: {
        const uint8_t byte = TWDR;
        if (!gChunk.Accept(byte)) {
            // The serial line is behind: the byte stays in the unit and the clock stays
            // held until the main loop has queued the waiting chunk.
            TWCR = quillon::firmware::kHold;
            return;
        }
        PortPins::Write(byte);
        break;
    }
    case TW_SR_DATA_NACK:
    case TW_SR_STOP:
        gChunk.EndTransaction();
        break;
    case TW_ST_SLA_ACK:
    case TW_ST_ARB_LOST_SLA_ACK:
        StatusLed::Flash();
        TWDR = PortPins::Image();
        break;
    case TW_ST_DATA_ACK:
        TWDR = PortPins::Image();
        break;
    case TW_BUS_ERROR:
        gChunk.EndTransaction();
        TWCR = quillon::firmware::kRecover;
        return;
    default:
        // Master's NACK or last byte after a read, general call (never enabled): nothing to
        // do but listen again.
        break;
    }
    TWCR = quillon::firmware::kContinue;
}
