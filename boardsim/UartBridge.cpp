#include "UartBridge.h"

#include <avr_uart.h>
#include <sim_avr.h>

namespace quillon::boardsim {

UartBridge::UartBridge(SimavrBoard& board, ByteSent sent, ByteReceived received)
    : board_(board), uart_(reinterpret_cast<avr_uart_t*>(board.Module("uart"))),
      sent_(std::move(sent)), received_(std::move(received)) {
    // By default simavr copies UART output to its console and naps whenever the firmware
    // polls the status register; we want neither.
    uart_->flags = 0;
    avr_irq_register_notify(uart_->io.irq + UART_IRQ_OUTPUT, OnOutput, this);
    avr_irq_register_notify(uart_->io.irq + UART_IRQ_OUT_XON, OnXon, this);
    avr_irq_register_notify(uart_->io.irq + UART_IRQ_OUT_XOFF, OnXoff, this);
    // Not UCSR0A: the firmware polls it for every byte, and the hook would run each time.
    const uint16_t format[] = {uint16_t(uart_->ubrrl.reg), uint16_t(uart_->ubrrh.reg),
                               uart_->r_ucsrc};
    for (const uint16_t reg : format) {
        avr_irq_register_notify(board_.AccessIrq(reg), OnFormatWritten, this);
    }
    board_.OnReset([this] { AfterReset(); });
}

SimavrBoard::Cycle UartBridge::ByteCycles() const {
    return uart_->cycles_per_byte;
}

void UartBridge::Send(const uint8_t* data, std::size_t size) {
    input_.insert(input_.end(), data, data + size);
    if (!feeding_) {
        Feed();
    }
}

// simavr's receiver lets the firmware read a second byte at once whenever its FIFO holds
// more than one (the real chip's two-byte buffer), so bytes handed over in a burst would
// reach the firmware twice as fast as a 9600 baud wire can carry them. The bridge hands
// them over one per character time instead; simavr then raises each a character time after
// it arrived, when its stop bit would have.
void UartBridge::Feed() {
    if (receiverFull_ || input_.empty()) {
        // XON starts again once the firmware's receiver has room.
        feeding_ = false;
        return;
    }
    feeding_ = true;
    onTheWay_ = input_.front();
    input_.pop_front();
    avr_raise_irq(uart_->io.irq + UART_IRQ_INPUT, onTheWay_);
    avr_cycle_timer_register(board_.Avr(), ByteCycles(), OnNextByte, this);
}

SimavrBoard::Cycle UartBridge::OnNextByte(avr_t*, SimavrBoard::Cycle, void* param) {
    auto* self = static_cast<UartBridge*>(param);
    // The byte on its way is now in the firmware's hands (its receive interrupt is due).
    self->received_(self->onTheWay_, !self->input_.empty());
    self->Feed();
    return 0;
}

void UartBridge::OnOutput(avr_irq_t*, uint32_t value, void* param) {
    auto* self = static_cast<UartBridge*>(param);
    // simavr raises this when the firmware writes UDR0; on the wire the byte is complete
    // one character time later.
    self->sent_(uint8_t(value), self->board_.Now() + self->ByteCycles());
}

void UartBridge::OnXon(avr_irq_t*, uint32_t, void* param) {
    auto* self = static_cast<UartBridge*>(param);
    self->receiverFull_ = false;
    if (!self->feeding_) {
        self->Feed();
    }
}

void UartBridge::OnXoff(avr_irq_t*, uint32_t value, void* param) {
    auto* self = static_cast<UartBridge*>(param);
    if (value != 0) {
        self->receiverFull_ = true;
    }
}

void UartBridge::OnFormatWritten(avr_irq_t*, uint32_t, void* param) {
    static_cast<UartBridge*>(param)->FixByteTime();
}

// simavr 1.6 counts a parity bit in every character even when the firmware chose none, so
// at 9600 baud 8N1 a byte would take 11 bit times (1144 us) instead of 10 (1042 us), and
// the firmware's replies would come out 10% slow. Each time the firmware sets the speed
// (UBRR0) or the frame format (UCSR0C), simavr recomputes its figure first and we put the
// true one in its place: start bit, data bits, parity bit only when enabled, stop bits. As
// in simavr, the double-speed bit U2X0 counts as it stands at that moment.
void UartBridge::FixByteTime() {
    avr_t* avr = board_.Avr();
    constexpr int kDataBits[8] = {5, 6, 7, 8, 8, 8, 8, 9};
    const int dataBits =
        kDataBits[avr_regbit_get(avr, uart_->ucsz) | (avr_regbit_get(avr, uart_->ucsz2) << 2)];
    const int stopBits = 1 + avr_regbit_get(avr, uart_->usbs);
    // UPM01:0 (bits 5:4 of UCSR0C) select the parity; simavr has no field for them.
    constexpr uint8_t kParityMask = 0x30;
    const int parityBits = (avr->data[uart_->r_ucsrc] & kParityMask) != 0 ? 1 : 0;
    const uint32_t ubrr =
        avr_regbit_get(avr, uart_->ubrrl) | (uint32_t(avr_regbit_get(avr, uart_->ubrrh)) << 8);
    uint64_t cyclesPerBit = (ubrr + 1) * 8;
    if (!avr_regbit_get(avr, uart_->u2x)) {
        cyclesPerBit *= 2;
    }
    uart_->cycles_per_byte = cyclesPerBit * uint64_t(1 + dataBits + parityBits + stopBits);
}

void UartBridge::AfterReset() {
    // The receiver is off until the firmware enables it again and says it has room; what
    // the host sends meanwhile waits here, as in the board's USB-serial chip. The reset
    // dropped our timer for the next byte.
    receiverFull_ = true;
    feeding_ = false;
}

} // namespace quillon::boardsim
