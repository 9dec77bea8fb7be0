#include "TwiSlave.h"

#include "BusGuard.h"
#include "BusTimer.h"
#include "MilliClock.h"
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

// Set while a received byte cannot be let go before the handler's C part has looked at it:
// with Hold pacing, a byte that may have to wait for the serial line. Worked out again
// after every status, and when the pacing changes; a value left over after the main loop
// has queued a chunk only sends one byte the slower way.
volatile uint8_t gDecideInC = 0;

// Bus side only, and read by the main loop with interrupts off; without the writes not
// forwarded (the chunk counts those) and the longest hold, kept apart below.
BusCounters gCounters = {};
// The longest hold the interrupt measured, in timer ticks, and the longest wait for the
// serial line, in milliseconds.
uint16_t gLongestTicks = 0;
uint16_t gLongestWaitMs = 0;
// The transaction under way has brought at least one data byte.
bool gDataSeen = false;
// A byte is held for the serial line since this moment; the main loop ends the hold.
volatile bool gHolding = false;
uint16_t gHeldSinceMs = 0;

constexpr uint8_t Index(protocol::Counter counter) {
    return static_cast<uint8_t>(counter);
}

// The head lets the bus go on at most 37 cycles (2.3 us) after the flag went up, well
// inside the master's clock low time: the core's response (4 cycles, up to 4 more to
// finish an instruction, 3 for the jump from the vector table) and the head's 26 cycles up
// to its TWCR store (counted from the disassembly). The master never waits for it, so it
// is not counted as a hold. Holds the C part measures start where the head, its jump
// (7 cycles more), the C part's register saving (32) and its look at the status (12) are
// behind: they get those added.
constexpr uint8_t kWorkEntryCycles = 4 + 4 + 3 + 26 + 7 + 32 + 12;
constexpr uint8_t kWorkEntryTicks =
    static_cast<uint8_t>((kWorkEntryCycles + BusTimer::kPrescaler - 1) / BusTimer::kPrescaler);
constexpr uint16_t kUsPerMs = 1000;

void EndWrite() {
    gChunk.EndTransaction();
    ++gCounters[Index(gDataSeen ? protocol::Counter::MasterWrites
                                : protocol::Counter::AddressOnly)];
    gDataSeen = false;
}

// What the head did not do: let the bus go on, or hold it. False when holding.
bool Release(uint8_t status) {
    const uint16_t entered = BusTimer::Ticks();
    if (status == TW_SR_DATA_ACK && gChunk.MustWait()) {
        // The byte stays in the unit and the clock stays held until the main loop has
        // queued a waiting chunk and switches the interrupt on again.
        TWCR = kHold;
        if (!gHolding) {
            gHolding = true;
            gHeldSinceMs = MilliClock::Now();
        }
        return false;
    }
    TWDR = PortPins::Image();
    TWCR = status == TW_BUS_ERROR ? kRecover : kContinue;
    const uint16_t held = static_cast<uint16_t>(BusTimer::Ticks() - entered + kWorkEntryTicks);
    if (held > gLongestTicks) {
        gLongestTicks = held;
    }
    return true;
}

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
    // While a byte is held the bus interrupt is off, so the hold's start stays put. Such a
    // hold waits for the serial line, which moves a byte a millisecond: the millisecond
    // clock measures it.
    if (gHolding) {
        gHolding = false;
        const uint16_t waited = static_cast<uint16_t>(MilliClock::Now() - gHeldSinceMs);
        if (waited > gLongestWaitMs) {
            gLongestWaitMs = waited;
        }
    }
    TWCR = kListen;
}

void TwiSlave::Guard(uint16_t nowMs) {
    // Our interrupt off with the flag set is the clock held for the serial line.
    if (!BusGuard::Stuck(nowMs, (TWCR & _BV(TWIE)) == 0)) {
        return;
    }
    // With interrupts off, so no status comes between the last look and the restart.
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        if (BusGuard::StillStuck()) {
            // Off lets go of SDA and SCL at once, whatever the unit was doing.
            TWCR = 0;
            gChunk.EndTransaction();
            gDataSeen = false;
            TWCR = kListen;
        }
    }
}

void TwiSlave::UsePacing(protocol::Pacing pacing) {
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        gChunk.UsePacing(pacing);
        // The C part works the next byte out afresh, a byte held meanwhile included.
        gDecideInC = 1;
    }
    // A byte held under Hold is taken at once under Release.
    ReleaseClock();
}

MasterChunk& TwiSlave::Chunk() {
    return gChunk;
}

void TwiSlave::ReadCounters(BusCounters& counters) {
    // A counter at a time: copied in one go, interrupts would be off for over 100 cycles,
    // and the bus interrupt's head must not wait that long.
    for (uint8_t i = 0; i < sizeof counters / sizeof counters[0]; ++i) {
        ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
            counters[i] = gCounters[i];
        }
    }
    uint16_t ticks;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        ticks = gLongestTicks;
    }
    const uint32_t waitUs = static_cast<uint32_t>(gLongestWaitMs) * kUsPerMs;
    const uint16_t heldUs =
        static_cast<uint16_t>((ticks + BusTimer::kTicksPerUs - 1) / BusTimer::kTicksPerUs);
    counters[Index(protocol::Counter::LongestHoldUs)] = waitUs > heldUs ? waitUs : heldUs;
}

} // namespace firmware
} // namespace quillon

// The interrupt in two parts. The head, in assembly so that no register saving comes
// before it, lets the bus go on at once: at 100 kHz the master's clock is low for at least
// 4.7 us (75 cycles) after the acknowledge bit, and a slave that releases it within that
// time never stretches it. It keeps the status and a received byte in the general purpose
// I/O registers, puts the port image into TWDR (the byte a master read gets; a receiving
// unit overwrites it with the next byte, and the received one is kept), and clears the
// flag. A bus error, and a received byte while gDecideInC is set, it leaves to the C part.
// The C part runs after it with interrupts still off, as a handler of its own.
ISR(TWI_vect, ISR_NAKED) {
    __asm__ __volatile__(
        "push r24\n\t"
        "in r24, __SREG__\n\t"
        "push r24\n\t"
        "lds r24, %[twsr]\n\t"
        "andi r24, %[mask]\n\t"
        "out %[status], r24\n\t"
        "breq 1f\n\t"
        "cpi r24, %[received]\n\t"
        "brne 2f\n\t"
        "lds r24, %[twdr]\n\t"
        "out %[data], r24\n\t"
        "lds r24, %[decide]\n\t"
        "tst r24\n\t"
        "brne 1f\n\t"
        "2:\n\t"
        "lds r24, %[image]\n\t"
        "sts %[twdr], r24\n\t"
        "ldi r24, %[go]\n\t"
        "sts %[twcr], r24\n\t"
        "1:\n\t"
        "pop r24\n\t"
        "out __SREG__, r24\n\t"
        "pop r24\n\t"
        "jmp __vector_twi_work\n\t" ::[twsr] "n"(_SFR_MEM_ADDR(TWSR)),
        [twdr] "n"(_SFR_MEM_ADDR(TWDR)), [twcr] "n"(_SFR_MEM_ADDR(TWCR)),
        [status] "I"(_SFR_IO_ADDR(GPIOR0)), [data] "I"(_SFR_IO_ADDR(GPIOR1)),
        [mask] "n"(TW_STATUS_MASK), [received] "n"(TW_SR_DATA_ACK),
        [decide] "i"(&quillon::firmware::gDecideInC),
        [image] "i"(&quillon::firmware::PortPins::image), [go] "n"(quillon::firmware::kContinue));
}

extern "C" void __vector_twi_work() __attribute__((signal, used, externally_visible));

void __vector_twi_work() {
    using namespace quillon::firmware;
    using quillon::protocol::Counter;
    const uint8_t status = GPIOR0;
    BusGuard::Seen(status);
    if ((status == TW_BUS_ERROR || (status == TW_SR_DATA_ACK && gDecideInC != 0)) &&
        !Release(status)) {
        return;
    }
    switch (status) {
    case TW_SR_DATA_ACK: {
        const uint8_t byte = GPIOR1;
        gChunk.Accept(byte);
        PortPins::Write(byte);
        gDataSeen = true;
        break;
    }
    case TW_SR_SLA_ACK:
    case TW_SR_ARB_LOST_SLA_ACK:
        gDataSeen = false;
        StatusLed::Flash();
        break;
    case TW_SR_DATA_NACK:
    case TW_SR_STOP:
        EndWrite();
        break;
    case TW_ST_SLA_ACK:
    case TW_ST_ARB_LOST_SLA_ACK:
        // Counted at the address: a master that takes no byte (a bus scan reading one
        // byte, or quitting after the acknowledge) has still read from the board.
        ++gCounters[Index(Counter::MasterReads)];
        StatusLed::Flash();
        break;
    case TW_BUS_ERROR:
        // What came of a write goes on; a lost address phase is no transaction.
        if (gDataSeen) {
            EndWrite();
        }
        break;
    default:
        // The master's NACK or last byte after a read, the next byte of a read (the head
        // has put it into TWDR), general call (never enabled): nothing more to do.
        break;
    }
    gDecideInC = gChunk.MustWait();
}
