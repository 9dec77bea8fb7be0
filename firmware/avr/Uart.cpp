#include "Uart.h"

#include "Registers.h"
#include "firmware/BoardLayout.h"
#include "firmware/core/ByteRing.h"
#include "protocol/FrameFormat.h"

#include <avr/interrupt.h>
#include <avr/io.h>

namespace quillon {
namespace firmware {

namespace {

// Normal speed (16 samples a bit), divisor rounded to nearest: 103 gives 9615 baud, 0.2 %
// off.
constexpr uint32_t kBaud = protocol::LineFormat::kBaud;
constexpr uint16_t kDivisor = static_cast<uint16_t>((kCpuHz + 8 * kBaud) / (16 * kBaud) - 1);

// The main loop takes bytes within microseconds; the ring covers the few milliseconds an
// EEPROM write or a long resynchronisation keeps it busy.
ByteRing<64> gReceived;
TxQueue gOutput;

} // namespace

void Uart::Start() {
    UBRR0 = kDivisor;
    // Written whole: a bootloader may have left double speed on.
    UCSR0A = 0;
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00); // 8 data bits, no parity, 1 stop bit
    UCSR0B = _BV(RXEN0) | _BV(TXEN0) | _BV(RXCIE0);
}

bool Uart::TakeReceived(uint8_t& byte) {
    return gReceived.Take(byte);
}

bool Uart::HasReceived() {
    return !gReceived.Empty();
}

TxQueue& Uart::Output() {
    return gOutput;
}

void Uart::Kick() {
    // An interrupt that cuts into the read-modify-write and clears the bit only makes this
    // set it again; one that then finds the queue empty clears it.
    if (!gOutput.Empty()) {
        UCSR0B |= _BV(UDRIE0);
    }
}

} // namespace firmware
} // namespace quillon

// The bus interrupt must be able to cut into both serial interrupts: it ranks below them,
// and a master that does not stretch the clock gives it only 4.7 us at 100 kHz.
ISR(USART_RX_vect) {
    // Reading the byte clears the flag, so the interrupt cannot come again at once.
    const uint8_t byte = UDR0;
    sei();
    quillon::firmware::MarkWork();
    // A full ring loses the byte; the receiver treats the damaged frame like any other.
    quillon::firmware::gReceived.Put(byte);
}

ISR(USART_UDRE_vect) {
    // Off first, or the interrupt would cut into itself once interrupts are on. Only this
    // handler clears the bit and the main loop cannot run before it ends, so Uart::Kick
    // cannot find it clear with bytes waiting and leave it so.
    UCSR0B &= static_cast<uint8_t>(~_BV(UDRIE0));
    sei();
    uint8_t byte;
    if (quillon::firmware::gOutput.Take(byte)) {
        UDR0 = byte;
        // Back on with interrupts off, or it would be taken here, nested; an empty queue
        // then clears it on the next entry.
        cli();
        UCSR0B |= _BV(UDRIE0);
    }
}
