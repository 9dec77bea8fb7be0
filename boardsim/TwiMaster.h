#pragma once

#include "ClockHolds.h"
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
// the board's TWI unit at 100, 400 or 1000 kHz. It always addresses the slave address the
// firmware has set in its TWI unit. It measures how long the firmware holds the clock after
// every status, and either waits for the release before it clocks on (clock stretching, as
// an I2C master must) or, like masters that ignore stretching, clocks on after its SCL low
// time and reports every byte a longer hold would have corrupted.
class TwiMaster {
public:
    // One line per transaction ("master wrote 5A", "master read FF", "error ...").
    using Report = std::function<void(const std::string& line, SimavrBoard::Cycle when)>;

    enum class Stretching { Honoured, Ignored };

    // The bus clock: one byte with its acknowledge bit is nine clock periods; the other
    // times are the I2C minimum for the speed. A master that ignores stretching drives its
    // next clock edge after the SCL low time whether the slave still holds SCL or not.
    struct Speed {
        int kHz;
        double byteUs;
        double sclLowUs;
        double busFreeUs;   // from a STOP to the next START
        double startHoldUs; // from a START to the first clock's falling edge
    };
    // 100 kHz (standard mode), 400 kHz (fast mode) or 1000 kHz (fast mode plus); none for
    // another speed.
    static std::optional<Speed> SpeedOf(int kHz);

    // How long the master waits for the firmware to release the bus. I2C itself sets no
    // limit, and a firmware may rightly hold the bus while a full frame (132 ms) drains to
    // the host; a second means it has hung.
    static constexpr double kReleaseTimeoutUs = 1'000'000;

    // The end of a write transaction: its data bytes, the moment of its START and, when
    // the board took them all, the moment the STOP (or repeated START) reached it; none
    // when the write ended in an error.
    struct WriteEnd {
        std::size_t bytes = 0;
        SimavrBoard::Cycle start = 0;
        std::optional<SimavrBoard::Cycle> stop;
    };
    using WriteEnded = std::function<void(const WriteEnd& end)>;

    TwiMaster(SimavrBoard& board, Report report, Speed speed, Stretching stretching);

    void OnWriteEnded(WriteEnded listener) { writeEnded_ = std::move(listener); }

    void Write(std::vector<uint8_t> bytes);
    void Read(std::size_t count);
    // A master that stops in the middle of a transaction and never ends it: after writing
    // these bytes (no STOP), or, with none, while the board sends the first byte of a
    // read. It waits for the board to let go of the bus (its TWI unit switched off), and
    // reports how long that took.
    void Stall(std::vector<uint8_t> bytes);
    // The bytes, then a repeated START and a read of `count` bytes, then the STOP.
    void WriteThenRead(std::vector<uint8_t> bytes, std::size_t count);
    // START, the address for write, STOP: a bus scan's question "is anyone there?".
    void Probe();
    bool Busy() const { return phase_ != Phase::Idle || !queue_.empty(); }
    // The address the firmware answers to, in 8-bit form.
    uint8_t SlaveAddress() const;
    const ClockHolds& Holds() const { return holds_; }

private:
    struct Transaction {
        std::vector<uint8_t> bytes; // to write
        std::size_t count = 0;      // bytes to read after them
        std::vector<uint8_t> read;  // read so far
        bool stall = false;         // the master stops before its last step
    };
    enum class Phase { Idle, Start, Address, Data, Refused, Stop, ReadNext, ReadLast, Stalled };
    enum class Wait { Nothing, Status, Release };

    static void OnStatus(avr_irq_t* irq, uint32_t value, void* param);
    static void OnOutput(avr_irq_t* irq, uint32_t value, void* param);
    static void OnControlAccess(avr_irq_t* irq, uint32_t value, void* param);
    static SimavrBoard::Cycle OnStep(avr_t* avr, SimavrBoard::Cycle when, void* param);
    static SimavrBoard::Cycle OnTimeout(avr_t* avr, SimavrBoard::Cycle when, void* param);
    static SimavrBoard::Cycle OnResume(avr_t* avr, SimavrBoard::Cycle when, void* param);

    void Queue(Transaction t);
    void StartNext();
    // A START at `at` (or now, if that has passed); the address follows on the bus.
    void Begin(SimavrBoard::Cycle at);
    void Address();
    void Released(SimavrBoard::Cycle held);
    void CheckHold(SimavrBoard::Cycle held);
    // Where the master's clock runs from after the firmware's release: the release itself,
    // or, for a master that does not wait for it, the status.
    SimavrBoard::Cycle ClockBase() const;
    void StepAt(SimavrBoard::Cycle at);
    void Step();
    void StallNow();
    // The transaction's last line; the bus is free again from `free` on.
    void Finish(const std::string& line, SimavrBoard::Cycle free);
    void EndWrite(std::optional<SimavrBoard::Cycle> stop);
    void Await(Wait what);
    void AfterReset();
    // "master write", "master read" or "master probe": how the lines of the part of the
    // transaction under way begin.
    std::string What() const;
    bool Probing() const { return current_.bytes.empty() && current_.count == 0; }

    void KeepPendingStatus(uint8_t status);
    void DeliverStatus(uint8_t status);

    SimavrBoard& board_;
    avr_twi_t* twi_;
    Report report_;
    Speed speed_;
    Stretching stretching_;
    WriteEnded writeEnded_;
    ClockHolds holds_;
    std::deque<Transaction> queue_;
    Transaction current_;
    Phase phase_ = Phase::Idle;
    Wait wait_ = Wait::Nothing;
    bool reading_ = false;  // the part after the address for read
    std::size_t next_ = 0;  // next byte to write
    bool slaveAcks_ = true; // TWEA as the firmware left it at its last release
    bool flagSet_ = false;  // TWINT as a real TWI unit would have it
    uint8_t status_ = 0;    // the last status the unit gave
    SimavrBoard::Cycle statusAt_ = 0;
    SimavrBoard::Cycle startAt_ = 0;
    SimavrBoard::Cycle stopAt_ = 0;
    SimavrBoard::Cycle stalledAt_ = 0;
    SimavrBoard::Cycle busFreeAt_ = 0;
};

} // namespace quillon::boardsim
