// The adapter firmware: an ATmega328P board (Arduino Uno, Nano and their clones) that
// answers the serial protocol of docs/protocol.md and plays the expander on the I2C bus.

#include "AddressStore.h"
#include "AvrBoard.h"
#include "BusTimer.h"
#include "MilliClock.h"
#include "PacingStore.h"
#include "PortPins.h"
#include "Registers.h"
#include "StatusLed.h"
#include "TwiSlave.h"
#include "Uart.h"
#include "firmware/BoardLayout.h"
#include "firmware/core/AdapterLoop.h"
#include "protocol/CommandTable.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <avr/wdt.h>

static_assert(F_CPU == quillon::firmware::kCpuHz, "the delay loops count the board's clock");

namespace {

using namespace quillon::firmware;

constexpr char kVersion[] = "Quillon adapter firmware " QUILLON_FIRMWARE_VERSION;
constexpr uint8_t kVersionLength = sizeof kVersion - 1;
static_assert(kVersionLength >= 1 && kVersionLength <= quillon::protocol::kMaxVersionLength,
              "the version text must fit the version reply");

AvrBoard gBoard;

// Idle sleep (SMCR's mode bits 0) stops the core until the next interrupt, the millisecond
// tick at the latest. The look for work runs with interrupts on, so that the bus interrupt
// never waits behind it; an interrupt that brings work meanwhile replaces the mark
// (Registers.h). From the check of the mark to the sleep interrupts are off, and sei takes
// effect only after the instruction that follows it, so such an interrupt cannot slip past
// the sleep: it is taken once the core is asleep, and wakes it.
void SleepWhileIdle(const AdapterLoop<AvrBoard>& loop, uint16_t nowMs) {
    GPIOR0 = kNoWorkMark;
    if (!loop.Idle(nowMs) || Uart::HasReceived()) {
        return;
    }
    cli();
    if (GPIOR0 == kNoWorkMark) {
        SMCR = _BV(SE);
        sei();
        sleep_cpu();
        SMCR = 0;
    }
    sei();
}

} // namespace

int main() {
    // A watchdog reset leaves the watchdog running at its shortest time-out; off until the
    // board is set up.
    MCUSR = 0;
    wdt_disable();

    BusTimer::Start();
    PortPins::Start();
    StatusLed::Start();
    MilliClock::Start();
    Uart::Start();
    const uint8_t address = AddressStore::Load();
    TwiSlave::Chunk().UsePacing(PacingStore::Load());
    TwiSlave::Start(address);
    // Static rather than on the stack, so avr-size counts it with the rest of the RAM.
    static AdapterLoop<AvrBoard> loop(gBoard, Uart::Output(), TwiSlave::Chunk(), kVersion,
                                      kVersionLength, address);
    sei();
    // Whatever stops the main loop (a fault, a wait that never ends) resets the board
    // rather than leaving it dead until it is unplugged. The longest the loop takes is a
    // save, about 10 ms.
    wdt_enable(WDTO_500MS);

    for (;;) {
        wdt_reset();
        const uint16_t now = MilliClock::Now();
        uint8_t byte;
        if (Uart::TakeReceived(byte)) {
            loop.Receive(byte, now);
        } else {
            loop.Step(now);
        }
        // The guard's and the sleep's interrupts-off sections are kept apart: back to back,
        // the one instruction an sei lets run before any interrupt would be the next cli,
        // and the bus interrupt would wait out both.
        TwiSlave::Guard(now);
        Uart::Kick();
        StatusLed::Update(now);
        SleepWhileIdle(loop, now);
    }
}
