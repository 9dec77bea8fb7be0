#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct avr_t;
struct avr_irq_t;
struct avr_io_t;

namespace quillon::boardsim {

// The ATmega328P of the board, in simavr: the firmware image loaded into its flash, its
// clock, and the peripherals the other parts of the simulator attach to. Simulated time is
// counted in CPU cycles from power-on and keeps running across a reset.
class SimavrBoard {
public:
    using Cycle = uint64_t;

    SimavrBoard();
    ~SimavrBoard();
    SimavrBoard(const SimavrBoard&) = delete;
    SimavrBoard& operator=(const SimavrBoard&) = delete;

    // Loads an ELF image built for the ATmega328P; the EEPROM starts erased, as on a board
    // fresh from the factory (an .eeprom section in the image is not programmed).
    // Returns its problem, if it had one.
    std::optional<std::string> Load(const std::string& elfPath);

    avr_t* Avr() const { return avr_; }
    // An I/O module of the core by its simavr kind ("twi", "uart", "eeprom", ...).
    avr_io_t* Module(const char* kind) const;
    std::vector<avr_io_t*> Modules(const char* kind) const;
    // Data-space address of an I/O register, e.g. the value of avr-libc's TWAR.
    uint8_t Register(uint16_t address) const;
    // Raised after every access of the firmware to the register, reads included, with the
    // register's value; for a write, after the peripheral has dealt with it.
    avr_irq_t* AccessIrq(uint16_t address) const;

    Cycle Now() const;
    double Microseconds(Cycle cycles) const;
    Cycle CyclesFromMicroseconds(double us) const;

    // Runs the firmware until the simulated clock reaches `until`. False once the core has
    // stopped (crashed, or went to sleep with interrupts off) and cannot go on.
    bool RunUntil(Cycle until);
    bool Stopped() const;
    std::string StopReason() const;

    // The reset button (or DTR): registers and peripherals start over, EEPROM and the
    // simulated clock are kept.
    void Reset();
    // After a reset, the bootloader's wait: until the clock reaches `until` the firmware
    // does not run and hears nothing, then it starts from a reset of its own, as the
    // bootloader starts it.
    void HoldInBootloader(Cycle until);
    bool InBootloader() const { return bootloaderUntil_.has_value(); }
    // Called after every reset, this one or one the firmware causes (its watchdog), so
    // the listeners re-read what they watch and restart their simulated timers.
    void OnReset(std::function<void()> listener);
    // For a reset listener: whether the firmware caused this reset (its watchdog) rather
    // than Reset() or the end of the bootloader's wait.
    bool ResetByFirmware() const { return !outsideReset_; }

    // A fault in the firmware: its program goes into an endless loop (avr-libc's end of
    // program, an instruction that jumps to itself) with the interrupts as they were, so
    // only its interrupts run on. Returns its problem, if the image has no such loop.
    std::optional<std::string> Hang();

    // The EEPROM's bytes, live: writes of the firmware show here at once.
    uint8_t* Eeprom() const;
    std::size_t EepromSize() const;

private:
    static void AfterCoreReset(avr_t* avr);
    bool RunSlice(Cycle until);
    void OwnReset();

    avr_t* avr_ = nullptr;
    void (*coreReset_)(avr_t*) = nullptr;
    std::optional<Cycle> bootloaderUntil_;
    bool outsideReset_ = false;
    std::vector<std::function<void()>> resetListeners_;
};

} // namespace quillon::boardsim
