#include "PinWatcher.h"

#include "simkit/HexText.h"

#include <avr_ioport.h>
#include <sim_avr.h>

#include <cstdio>

namespace quillon::boardsim {

using simkit::HexText;

PinWatcher::PinWatcher(SimavrBoard& board, Report report, Widths widths, Skew skew)
    : board_(board), report_(std::move(report)), widths_(widths), skew_(skew) {
    for (avr_io_t* io : board_.Modules("port")) {
        const auto* port = reinterpret_cast<const avr_ioport_t*>(io);
        const int i = BoardPins::PortIndex(port->name);
        if (i < 0 || i >= int(ddrAddress_.size())) {
            continue;
        }
        ddrAddress_[i] = port->r_ddr;
        portAddress_[i] = port->r_port;
        // Raised after every access to the register, including PINx writes that toggle
        // PORTx, whether or not the value changed.
        avr_irq_register_notify(board_.AccessIrq(port->r_ddr), OnWrite, this);
        avr_irq_register_notify(board_.AccessIrq(port->r_port), OnWrite, this);
    }
    board_.OnReset([this] { AfterReset(); });
    Sample();
    reported_ = image_;
}

void PinWatcher::OnWrite(avr_irq_t*, uint32_t, void* param) {
    static_cast<PinWatcher*>(param)->Sample();
}

void PinWatcher::Sample() {
    BoardPins::Registers registers;
    for (std::size_t i = 0; i < ddrAddress_.size(); ++i) {
        if (ddrAddress_[i] != 0) {
            registers.ddr[i] = board_.Register(ddrAddress_[i]);
            registers.port[i] = board_.Register(portAddress_[i]);
        }
    }
    const SimavrBoard::Cycle now = board_.Now();
    const uint8_t image = BoardPins::PortImage(registers);
    if (image != image_) {
        image_ = image;
        if (!changing_) {
            changing_ = true;
            firstChangeAt_ = now;
        }
        changedAt_ = now;
        // Registering again moves the deadline: the image must hold for the whole window.
        avr_cycle_timer_register(board_.Avr(), board_.CyclesFromMicroseconds(kSettleUs), OnSettled,
                                 this);
    }
    for (int line = 1; line <= 2; ++line) {
        const bool asserted = BoardPins::InterruptAsserted(registers, line);
        const std::size_t i = std::size_t(line - 1);
        if (asserted == asserted_[i]) {
            continue;
        }
        asserted_[i] = asserted;
        if (asserted) {
            assertedAt_[i] = now;
            continue;
        }
        ReportPort();
        const std::string name = "INT" + std::to_string(line);
        report_(name + " pulse", assertedAt_[i]);
        if (widths_ == Widths::Shown) {
            char text[64];
            std::snprintf(text, sizeof text, " low for %.1f us",
                          board_.Microseconds(now - assertedAt_[i]));
            report_(name + text, assertedAt_[i]);
        }
    }
}

SimavrBoard::Cycle PinWatcher::OnSettled(avr_t*, SimavrBoard::Cycle, void* param) {
    static_cast<PinWatcher*>(param)->ReportPort();
    return 0;
}

void PinWatcher::ReportPort() {
    avr_cycle_timer_cancel(board_.Avr(), OnSettled, this);
    changing_ = false;
    if (image_ == reported_) {
        return;
    }
    report_("port " + HexText::Byte(reported_) + " -> " + HexText::Byte(image_), changedAt_);
    reported_ = image_;
    if (skew_ == Skew::Shown) {
        const SimavrBoard::Cycle skew = changedAt_ - firstChangeAt_;
        char text[80];
        std::snprintf(text, sizeof text, "port pins changed within %.2f us (%llu cycles)",
                      board_.Microseconds(skew), static_cast<unsigned long long>(skew));
        report_(text, changedAt_);
    }
}

void PinWatcher::AfterReset() {
    // All pins are inputs without pull-ups after a reset: the port reads FF, the interrupt
    // lines are released (without a pulse being reported for a line cut short).
    asserted_ = {};
    Sample();
    ReportPort();
}

} // namespace quillon::boardsim
