#include "Uart.h"

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
    // Only this sets the enable bit and the interrupt only clears it, and an interrupt
    // that finds the queue empty just clears it again, so no locking is needed.
    if (!gOutput.Empty()) {
        UCSR0B |= _BV(UDRIE0);
    }
}

} // namespace firmware
} // namespace quillon

ISR(USART_RX_vect) {
    const uint8_t byte = UDR0;
    // A full ring loses the byte; the receiver treats the damaged frame like any other.
    quillon::firmware::gReceived.Put(byte);
}

ISR(USART_UDRE_vect) {
    uint8_t byte;
    if (quillon::firmware::gOutput.Take(byte)) {
        UDR0 = byte;
    } else {
        UCSR0B &= static_cast<uint8_t>(~_BV(UDRIE0));
    }
}
