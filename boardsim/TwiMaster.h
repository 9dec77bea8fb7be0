#pragma once

#include "SimavrBoard.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct avr_twi_t;

namespace quillon::boardsim {

// The I2C bus master (the camera unit's side of the expander), playing transactions into
// the board's TWI unit at 100 kHz. It always addresses the slave address the firmware has
// set in its TWI unit, and waits for the firmware to release the bus after every status
// (clock stretching) before it clocks the next byte.
class TwiMaster {
public:
    // One line per transaction ("master wrote 5A", "master read FF", "error ...").
    using Report = std::function<void(const std::string& line, SimavrBoard::Cycle when)>;

    // How long the master waits for the firmware to release the bus. I2C itself sets no
    // limit, and a firmware may rightly hold the bus while a full frame (132 ms) drains to
    // the host; a second means it has hung.
    static constexpr double kReleaseTimeoutUs = 1'000'000;
    // One byte plus its acknowledge bit at 100 kHz.
    static constexpr double kByteUs = 90;

    // The end of a write transaction: its data bytes, the moment of its START and, when
    // the board took them all, the moment the STOP reached it; none when the write ended in
    // an error.
    struct WriteEnd {
        std::size_t bytes = 0;
        SimavrBoard::Cycle start = 0;
        std::optional<SimavrBoard::Cycle> stop;
    };
    using WriteEnded = std::function<void(const WriteEnd& end)>;

    TwiMaster(SimavrBoard& board, Report report);

    void OnWriteEnded(WriteEnded listener) { writeEnded_ = std::move(listener); }

    void Write(std::vector<uint8_t> bytes);
    void Read(std::size_t count);
    // A master that stops in the middle of a transaction and never ends it: after writing
    // these bytes (no STOP), or, with none, while the board sends the first byte of a
    // read. It waits for the board to let go of the bus (its TWI unit switched off), and
    // reports how long that took.
    void Stall(std::vector<uint8_t> bytes);
    bool Busy() const { return phase_ != Phase::Idle || !queue_.empty(); }
    // The address the firmware answers to, in 8-bit form.
    uint8_t SlaveAddress() const;

private:
    struct Transaction {
        bool read = false;
        bool stall = false;
        std::vector<uint8_t> bytes; // to write, or read so far
        std::size_t count = 0;      // bytes to read
    };
    enum class Phase { Idle, Address, Data, Refused, Stop, ReadNext, ReadLast, Stalled };
    enum class Wait { Nothing, Status, Release };

    static void OnStatus(avr_irq_t* irq, uint32_t value, void* param);
    static void OnOutput(avr_irq_t* irq, uint32_t value, void* param);
    static void OnControlAccess(avr_irq_t* irq, uint32_t value, void* param);
    static SimavrBoard::Cycle OnStep(avr_t* avr, SimavrBoard::Cycle when, void* param);
    static SimavrBoard::Cycle OnTimeout(avr_t* avr, SimavrBoard::Cycle when, void* param);
    static SimavrBoard::Cycle OnResume(avr_t* avr, SimavrBoard::Cycle when, void* param);

    void StartNext();
    void Begin();
    void Released();
    void Step();
    void StallNow();
    void Finish(const std::string& line);
    void EndWrite(std::optional<SimavrBoard::Cycle> stop);
    void Await(Wait what);
    void AfterReset();

    void KeepPendingStatus(uint8_t status);
    void DeliverStatus(uint8_t status);

    SimavrBoard& board_;
    avr_twi_t* twi_;
    Report report_;
    WriteEnded writeEnded_;
    std::deque<Transaction> queue_;
    Transaction current_;
    Phase phase_ = Phase::Idle;
    Wait wait_ = Wait::Nothing;
    std::size_t next_ = 0;  // next byte to write
    bool slaveAcks_ = true; // TWEA as the firmware left it at its last release
    bool flagSet_ = false;  // TWINT as a real TWI unit would have it
    SimavrBoard::Cycle startAt_ = 0;
    SimavrBoard::Cycle stopAt_ = 0;
    SimavrBoard::Cycle stalledAt_ = 0;
    SimavrBoard::Cycle lastStatusAt_ = 0;
};

} // namespace quillon::boardsim
