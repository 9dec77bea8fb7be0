// The adapter firmware: an ATmega328P board (Arduino Uno, Nano and their clones) that
// answers the serial protocol of docs/protocol.md and plays the expander on the I2C bus.

#include "AddressStore.h"
#include "AvrBoard.h"
#include "BusTimer.h"
#include "MilliClock.h"
#include "PacingStore.h"
#include "PortPins.h"
#include "StatusLed.h"
#include "TwiSlave.h"
#include "Uart.h"
#include "firmware/BoardLayout.h"
#include "firmware/core/AdapterLoop.h"
#include "protocol/CommandTable.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/wdt.h>

static_assert(F_CPU == quillon::firmware::kCpuHz, "the delay loops count the board's clock");

namespace {

using namespace quillon::firmware;

constexpr char kVersion[] = "Quillon adapter firmware " QUILLON_FIRMWARE_VERSION;
constexpr uint8_t kVersionLength = sizeof kVersion - 1;
static_assert(kVersionLength >= 1 && kVersionLength <= quillon::protocol::kMaxVersionLength,
              "the version text must fit the version reply");

AvrBoard gBoard;

} // namespace

int main() {
    // A watchdog reset (some bootloaders start the program that way) leaves the watchdog
    // running; the program does not use it.
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
    static AdapterLoop loop(gBoard, Uart::Output(), TwiSlave::Chunk(), kVersion, kVersionLength,
                            address);
    sei();

    for (;;) {
        const uint16_t now = MilliClock::Now();
        uint8_t byte;
        if (loop.WantsByte() && Uart::TakeReceived(byte)) {
            loop.Receive(byte, now);
        } else {
            loop.Step(now);
        }
        Uart::Kick();
        StatusLed::Update(now);
    }
}
