#pragma once

#include "SimavrBoard.h"

#include <cstdint>
#include <deque>
#include <functional>

struct avr_uart_t;

namespace quillon::boardsim {

// UART0 of the board, wired to our side of the serial line. Bytes for the firmware wait here
// and go to its receiver one per character time, as off a wire, while it has room; each is
// handed on again at the simulated time the firmware gets it, and every byte the firmware
// sends is handed on with the simulated time its stop bit leaves the pin.
class UartBridge {
public:
    using ByteSent = std::function<void(uint8_t value, SimavrBoard::Cycle done)>;
    // more: further bytes follow right behind this one.
    using ByteReceived = std::function<void(uint8_t value, bool more)>;

    UartBridge(SimavrBoard& board, ByteSent sent, ByteReceived received);

    void Send(const uint8_t* data, std::size_t size);
    bool InputPending() const { return !input_.empty(); }
    // Line time of one byte at the speed the firmware set, in cycles.
    SimavrBoard::Cycle ByteCycles() const;

private:
    static void OnOutput(avr_irq_t* irq, uint32_t value, void* param);
    static void OnXon(avr_irq_t* irq, uint32_t value, void* param);
    static void OnXoff(avr_irq_t* irq, uint32_t value, void* param);
    static void OnFormatWritten(avr_irq_t* irq, uint32_t value, void* param);
    static SimavrBoard::Cycle OnNextByte(avr_t* avr, SimavrBoard::Cycle when, void* param);
    void Feed();
    void FixByteTime();
    void AfterReset();

    SimavrBoard& board_;
    avr_uart_t* uart_;
    ByteSent sent_;
    ByteReceived received_;
    std::deque<uint8_t> input_;
    bool receiverFull_ = true;
    bool feeding_ = false; // a byte is on its way (the next one follows a character later)
    uint8_t onTheWay_ = 0; // while feeding_: that byte
};

} // namespace quillon::boardsim
