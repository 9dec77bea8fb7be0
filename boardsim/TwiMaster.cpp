#include "TwiMaster.h"

#include "TwiStatus.h"
#include "simkit/HexText.h"

#include <avr_twi.h>
#include <sim_avr.h>
#include <sim_regbit.h>

#include <algorithm>
#include <cstdio>

namespace quillon::boardsim {

using simkit::HexText;

std::optional<TwiMaster::Speed> TwiMaster::SpeedOf(int kHz) {
    // Nine clock periods a byte; the other times are the shortest the I2C bus allows in
    // standard mode, fast mode and fast mode plus. The ATmega328P's TWI unit is rated
    // up to 400 kHz; a 1 MHz master's SCL low time (0.5 us, 8 cycles) is shorter than any
    // interrupt's entry, so without stretching it finds every release late.
    static constexpr Speed kSpeeds[] = {
        {100, 90, 4.7, 4.7, 4.0}, {400, 22.5, 1.3, 1.3, 0.6}, {1000, 9, 0.5, 0.5, 0.26}};
    for (const Speed& speed : kSpeeds) {
        if (speed.kHz == kHz) {
            return speed;
        }
    }
    return std::nullopt;
}

TwiMaster::TwiMaster(SimavrBoard& board, Report report, Speed speed, Stretching stretching)
    : board_(board), twi_(reinterpret_cast<avr_twi_t*>(board.Module("twi"))),
      report_(std::move(report)), speed_(speed), stretching_(stretching),
      holds_(1.0 / board.Microseconds(SimavrBoard::Cycle{1})) {
    avr_irq_register_notify(twi_->io.irq + TWI_IRQ_STATUS, OnStatus, this);
    avr_irq_register_notify(twi_->io.irq + TWI_IRQ_OUTPUT, OnOutput, this);
    avr_irq_register_notify(board_.AccessIrq(twi_->twen.reg), OnControlAccess, this);
    board_.OnReset([this] { AfterReset(); });
}

// ---------------------------------------------------------------------------------------
// simavr 1.6's TWI slave path, and what the master does about it. The firmware only ever
// sees the statuses a real ATmega would give it; everything that differs is here.
//
// 1. START + own address + write: simavr queues 0x60, but the same input call also treats
//    the write flag as a data byte and replaces the queued status with 0x80. The master
//    puts 0x60 back into simavr's pending slot before it is delivered.
// 2. STOP: simavr answers a STOP with 0x60 or 0xA8 (a new address phase) instead of 0xA0.
//    The master does not pass the STOP through simavr and delivers 0xA0 itself.
// 3. Reads: simavr has no path from the master's ACK/NACK after a byte the slave sent to
//    the statuses 0xB8 (send another) and 0xC0 (done). The master delivers them itself.
// 4. A data byte the firmware declined (TWEA clear) still gets 0x80 from simavr; the master
//    corrects it to 0x88, as in point 1.
// After 0xC0 or 0x88 a real slave is no longer addressed and a STOP gives it no status, so
// the master sends none then.
// 5. The TWI interrupt is a level on a real ATmega: while TWINT is set, enabling TWIE (or
//    leaving it on) makes the core take the interrupt. simavr only takes it when a status
//    is raised, so a firmware that holds the clock by switching TWIE off, and later lets
//    the interrupt handle the held byte by switching it on again, would wait for ever.
//    simavr's TWINT bit cannot tell: it keeps reading 1 after the firmware has cleared it.
//    So the master keeps the true flag itself (set by a status, cleared when the firmware
//    writes TWINT and the bus goes on) and, after every access to TWCR, raises the
//    interrupt again when the flag and TWIE are both set and it is not pending already.
// ---------------------------------------------------------------------------------------
void TwiMaster::OnControlAccess(avr_irq_t*, uint32_t, void* param) {
    auto* self = static_cast<TwiMaster*>(param);
    avr_t* avr = self->board_.Avr();
    if (self->phase_ == Phase::Stalled && !avr_regbit_get(avr, self->twi_->twen)) {
        const double ms = self->board_.Microseconds(self->board_.Now() - self->stalledAt_) / 1000;
        char after[32];
        std::snprintf(after, sizeof after, "%.1f ms", ms);
        if (!self->reading_) {
            self->EndWrite(std::nullopt);
        }
        // In the middle of the firmware's TWCR writes, with its unit still off: the next
        // transaction waits a byte's time, as a master would before its next START.
        avr_cycle_timer_cancel(avr, OnTimeout, self);
        self->phase_ = Phase::Idle;
        self->busFreeAt_ = self->board_.Now();
        self->report_(self->What() + " stalled: the board let go of the bus after " + after,
                      self->board_.Now());
        avr_cycle_timer_register(avr, self->board_.CyclesFromMicroseconds(self->speed_.byteUs),
                                 OnResume, self);
        return;
    }
    avr_int_vector_t* vector = &self->twi_->twi;
    if (self->flagSet_ && !vector->pending && avr_regbit_get(avr, vector->enable)) {
        avr_raise_interrupt(avr, vector);
    }
}

void TwiMaster::KeepPendingStatus(uint8_t status) {
    twi_->next_twstate = status;
}

void TwiMaster::DeliverStatus(uint8_t status) {
    avr_t* avr = board_.Avr();
    // What simavr's own status delivery does: TWSR, the status IRQ, TWINT.
    avr_regbit_setto_raw(avr, twi_->twsr, status);
    avr_raise_irq(twi_->io.irq + TWI_IRQ_STATUS, status);
    avr_raise_interrupt(avr, &twi_->twi);
}

uint8_t TwiMaster::SlaveAddress() const {
    // TWAR bit 0 enables general calls; it is not part of the address.
    return uint8_t(board_.Register(twi_->r_twar) & 0xFE);
}

void TwiMaster::Write(std::vector<uint8_t> bytes) {
    Queue({std::move(bytes), 0, {}});
}

void TwiMaster::Read(std::size_t count) {
    Queue({{}, count, {}});
}

void TwiMaster::WriteThenRead(std::vector<uint8_t> bytes, std::size_t count) {
    Queue({std::move(bytes), count, {}});
}

void TwiMaster::Probe() {
    Queue({});
}

void TwiMaster::Queue(Transaction t) {
    queue_.push_back(std::move(t));
    StartNext();
}

void TwiMaster::Stall(std::vector<uint8_t> bytes) {
    Transaction t;
    t.count = bytes.empty() ? 1 : 0;
    t.stall = true;
    t.bytes = std::move(bytes);
    queue_.push_back(std::move(t));
    StartNext();
}

void TwiMaster::StartNext() {
    if (phase_ != Phase::Idle || queue_.empty()) {
        return;
    }
    current_ = std::move(queue_.front());
    queue_.pop_front();
    reading_ = current_.bytes.empty() && current_.count > 0;
    Begin(busFreeAt_ + board_.CyclesFromMicroseconds(speed_.busFreeUs));
}

std::string TwiMaster::What() const {
    if (reading_) {
        return "master read";
    }
    return Probing() ? "master probe" : "master write";
}

void TwiMaster::Begin(SimavrBoard::Cycle at) {
    phase_ = Phase::Start;
    startAt_ = std::max(at, board_.Now());
    // The firmware hears of the address once its nine clocks are through.
    StepAt(startAt_ + board_.CyclesFromMicroseconds(speed_.startHoldUs + speed_.byteUs));
}

void TwiMaster::Address() {
    avr_t* avr = board_.Avr();
    // A slave that is off, or that does not acknowledge its address, leaves SDA high for
    // the address's ACK bit: the master sees a NACK and gives up.
    if (!avr_regbit_get(avr, twi_->twen) || !avr_regbit_get(avr, twi_->twea) ||
        board_.Register(twi_->r_twar) == 0) {
        Finish("error " + What() + ": no acknowledge from the board", board_.Now());
        return;
    }
    const uint8_t address = board_.Register(twi_->r_twar) >> 1;
    const uint8_t onBus = uint8_t((address << 1) | (reading_ ? 1 : 0));
    next_ = 0;
    slaveAcks_ = true;
    phase_ = Phase::Address;
    Await(Wait::Status);
    if (reading_) {
        avr_raise_irq(twi_->io.irq + TWI_IRQ_INPUT,
                      avr_twi_irq_msg(TWI_COND_START | TWI_COND_ADDR, address, onBus));
    } else {
        avr_raise_irq(
            twi_->io.irq + TWI_IRQ_INPUT,
            avr_twi_irq_msg(TWI_COND_START | TWI_COND_ADDR | TWI_COND_WRITE, address, onBus));
        KeepPendingStatus(kOwnAddressWrite);
    }
}

void TwiMaster::Await(Wait what) {
    wait_ = what;
    avr_cycle_timer_register(board_.Avr(), board_.CyclesFromMicroseconds(kReleaseTimeoutUs),
                             OnTimeout, this);
}

void TwiMaster::OnStatus(avr_irq_t*, uint32_t value, void* param) {
    auto* self = static_cast<TwiMaster*>(param);
    // 0xF8 comes with TWINT clear (the unit was switched off, or sent a STOP).
    self->flagSet_ = value != kNoState;
    if (self->flagSet_) {
        // From here the unit holds SCL low until the firmware writes TWINT.
        self->status_ = uint8_t(value);
        self->statusAt_ = self->board_.Now();
    }
    if (self->wait_ == Wait::Status) {
        self->wait_ = Wait::Release;
    }
}

// simavr raises the TWI output whenever the firmware writes TWCR with TWINT set, that is,
// when it has dealt with the status and lets the bus go on.
void TwiMaster::OnOutput(avr_irq_t*, uint32_t, void* param) {
    auto* self = static_cast<TwiMaster*>(param);
    self->flagSet_ = false;
    if (self->wait_ == Wait::Release) {
        self->wait_ = Wait::Nothing;
        avr_cycle_timer_cancel(self->board_.Avr(), OnTimeout, self);
        self->Released(self->board_.Now() - self->statusAt_);
    }
}

void TwiMaster::Released(SimavrBoard::Cycle held) {
    holds_.Held(status_, held);
    CheckHold(held);
    avr_t* avr = board_.Avr();
    slaveAcks_ = avr_regbit_get(avr, twi_->twea) != 0;
    switch (phase_) {
    case Phase::Address:
    case Phase::ReadNext:
        if (reading_) {
            // The firmware has put its byte into TWDR; it goes out on the next nine clocks.
            current_.read.push_back(board_.Register(twi_->r_twdr));
            if (current_.stall) {
                StallNow();
                return;
            }
        }
        break;
    case Phase::Stop:
        if (Probing()) {
            Finish("master probed " + HexText::Byte(SlaveAddress()), ClockBase());
            return;
        }
        EndWrite(stopAt_);
        if (current_.count == 0) {
            Finish("master wrote " + HexText::Bytes(current_.bytes), ClockBase());
            return;
        }
        // A repeated START: the bus stays ours, the read's address follows at once.
        report_("master wrote " + HexText::Bytes(current_.bytes), board_.Now());
        reading_ = true;
        Begin(ClockBase());
        return;
    case Phase::Refused: {
        std::string line;
        if (next_ > 1) {
            line = "master wrote " +
                   HexText::Bytes({current_.bytes.begin(), current_.bytes.begin() + (next_ - 1)});
            report_(line, board_.Now());
        }
        EndWrite(std::nullopt);
        Finish("error master write: byte " + std::to_string(next_) + " not acknowledged",
               ClockBase());
        return;
    }
    case Phase::ReadLast:
        Finish("master read " + HexText::Bytes(current_.read), ClockBase());
        return;
    case Phase::Data:
    case Phase::Start:
    case Phase::Idle:
    case Phase::Stalled:
        break;
    }
    StepAt(ClockBase() + board_.CyclesFromMicroseconds(speed_.byteUs));
}

SimavrBoard::Cycle TwiMaster::ClockBase() const {
    // A release later than the master's clock has been reported; the simulated firmware
    // still gets the next byte only after it.
    return stretching_ == Stretching::Ignored ? statusAt_ : board_.Now();
}

void TwiMaster::StepAt(SimavrBoard::Cycle at) {
    const SimavrBoard::Cycle now = board_.Now();
    avr_cycle_timer_register(board_.Avr(), at > now ? at - now : 1, OnStep, this);
}

// A master that ignores clock stretching drives its next clock edge after its SCL low
// time. When the firmware still holds SCL low then, that edge never reaches the slave and
// the bits after it are taken one clock late: whatever follows on the bus is corrupted.
// After a STOP or repeated START (status A0) the next clock edge is further away: the
// address of the next START, if the master has one to make.
void TwiMaster::CheckHold(SimavrBoard::Cycle held) {
    if (stretching_ != Stretching::Ignored) {
        return;
    }
    double allowedUs = speed_.sclLowUs;
    std::string victim;
    if (reading_ && (phase_ == Phase::Address || phase_ == Phase::ReadNext)) {
        victim = "byte " + std::to_string(current_.read.size() + 1);
    } else if (phase_ == Phase::Address || phase_ == Phase::Data) {
        if (next_ < current_.bytes.size()) {
            victim = "byte " + std::to_string(next_ + 1);
        } else {
            victim = current_.count > 0 ? "the repeated START" : "the STOP";
        }
    } else if (phase_ == Phase::Stop) {
        if (!Probing() && current_.count > 0) {
            allowedUs = speed_.startHoldUs + speed_.sclLowUs;
            victim = "the address after the repeated START";
        } else if (!queue_.empty()) {
            allowedUs = speed_.busFreeUs + speed_.startHoldUs + speed_.sclLowUs;
            victim = "the next address";
        } else {
            return;
        }
    } else {
        victim = "the STOP";
    }
    if (held <= board_.CyclesFromMicroseconds(allowedUs)) {
        return;
    }
    char allowed[32];
    std::snprintf(allowed, sizeof allowed, "%.2f us", allowedUs);
    report_("error " + What() + ": " + victim + " corrupted: the board held SCL " +
                holds_.Microseconds(held) + " after status " + HexText::Byte(status_) +
                ", the master clocked on after " + allowed,
            board_.Now());
}

SimavrBoard::Cycle TwiMaster::OnStep(avr_t*, SimavrBoard::Cycle, void* param) {
    static_cast<TwiMaster*>(param)->Step();
    return 0;
}

void TwiMaster::Step() {
    if (phase_ == Phase::Start) {
        Address();
        return;
    }
    if (reading_) {
        const bool last = current_.read.size() >= current_.count;
        phase_ = last ? Phase::ReadLast : Phase::ReadNext;
        Await(Wait::Status);
        DeliverStatus(last ? kDataSentNotAcked : kDataSentAcked);
        return;
    }
    if (next_ < current_.bytes.size()) {
        const uint8_t value = current_.bytes[next_++];
        phase_ = slaveAcks_ ? Phase::Data : Phase::Refused;
        Await(Wait::Status);
        avr_raise_irq(twi_->io.irq + TWI_IRQ_INPUT,
                      avr_twi_irq_msg(TWI_COND_WRITE, board_.Register(twi_->r_twar) >> 1, value));
        if (!slaveAcks_) {
            KeepPendingStatus(kDataRefused);
        }
        return;
    }
    if (current_.stall) {
        StallNow();
        return;
    }
    phase_ = Phase::Stop;
    stopAt_ = board_.Now();
    Await(Wait::Status);
    DeliverStatus(kStopOrRestart);
}

SimavrBoard::Cycle TwiMaster::OnResume(avr_t*, SimavrBoard::Cycle, void* param) {
    static_cast<TwiMaster*>(param)->StartNext();
    return 0;
}

void TwiMaster::StallNow() {
    phase_ = Phase::Stalled;
    // The master's last clock: the status it gave the board.
    stalledAt_ = statusAt_;
    // Nothing to wait for but the board letting go, which is seen in OnControlAccess.
    Await(Wait::Nothing);
}

SimavrBoard::Cycle TwiMaster::OnTimeout(avr_t*, SimavrBoard::Cycle, void* param) {
    auto* self = static_cast<TwiMaster*>(param);
    if (!self->reading_) {
        self->EndWrite(std::nullopt);
    }
    self->Finish("error " + self->What() + ": the board did not release the bus within " +
                     std::to_string(int(kReleaseTimeoutUs / 1000)) + " ms",
                 self->board_.Now());
    return 0;
}

void TwiMaster::Finish(const std::string& line, SimavrBoard::Cycle free) {
    avr_t* avr = board_.Avr();
    avr_cycle_timer_cancel(avr, OnTimeout, this);
    avr_cycle_timer_cancel(avr, OnStep, this);
    phase_ = Phase::Idle;
    wait_ = Wait::Nothing;
    busFreeAt_ = free;
    report_(line, board_.Now());
    StartNext();
}

void TwiMaster::EndWrite(std::optional<SimavrBoard::Cycle> stop) {
    // A probe carries no data: the firmware sends nothing for it.
    if (writeEnded_ && !Probing()) {
        writeEnded_({current_.bytes.size(), startAt_, stop});
    }
}

void TwiMaster::AfterReset() {
    flagSet_ = false;
    // The reset dropped every simulated timer, ours included.
    if (phase_ != Phase::Idle) {
        if (!reading_) {
            EndWrite(std::nullopt);
        }
        phase_ = Phase::Idle;
        wait_ = Wait::Nothing;
        busFreeAt_ = board_.Now();
        report_("error " + What() + ": the board was reset", board_.Now());
    }
    StartNext();
}

} // namespace quillon::boardsim
