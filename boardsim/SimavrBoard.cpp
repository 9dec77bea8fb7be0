#include "SimavrBoard.h"

#include "firmware/BoardLayout.h"

#include <avr_eeprom.h>
#include <avr_extint.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon::boardsim {

namespace {

constexpr const char* kMcu = "atmega328p";

// simavr reports through one global logger; its default prints to stdout, where our event
// lines go. Only its errors are worth seeing, and they belong on stderr.
void LogToStderr(avr_t*, const int level, const char* format, va_list args) {
    if (level > LOG_ERROR) {
        return;
    }
    std::fputs("quillon-board-sim: simavr: ", stderr);
    std::vfprintf(stderr, format, args);
}

// Our own loop keeps simulated time in step with the wall clock (or lets it race in fast
// mode), so simavr's own sleep, which would block the whole process, does nothing.
void DoNotSleep(avr_t*, avr_cycle_count_t) {}

avr_cycle_count_t EndOfSlice(avr_t*, avr_cycle_count_t, void*) {
    return 0;
}

// Settings simavr makes at every reset that do not suit a board run by our loop.
void Tame(avr_t* avr) {
    avr->sleep = DoNotSleep;
    // INT0 and INT1 sit on PD2 and PD3, the port pins P0 and P1. In their reset mode (low
    // level) simavr polls such a pin on every cycle for as long as it is low, whether the
    // interrupt is enabled or not, which slows the whole simulation down five times while
    // P0 or P1 is low. Without the polling a low level triggers once, like a falling edge;
    // the firmware does not use these interrupts.
    for (uint8_t line = 0; line < 2; ++line) {
        avr_extint_set_strict_lvl_trig(avr, line, 0);
    }
}

avr_cycle_count_t TameAfterReset(avr_t* avr, avr_cycle_count_t, void*) {
    Tame(avr);
    return 0;
}

void FreeFirmware(elf_firmware_t& firmware) {
    std::free(firmware.flash);
    std::free(firmware.eeprom);
    std::free(firmware.fuse);
    std::free(firmware.lockbits);
    for (uint32_t i = 0; i < firmware.symbolcount; ++i) {
        std::free(firmware.symbol[i]);
    }
    std::free(firmware.symbol);
}

} // namespace

SimavrBoard::SimavrBoard() {
    avr_global_logger_set(LogToStderr);
}

SimavrBoard::~SimavrBoard() {
    if (avr_ != nullptr) {
        avr_terminate(avr_);
        std::free(avr_);
    }
}

std::optional<std::string> SimavrBoard::Load(const std::string& elfPath) {
    elf_firmware_t firmware{};
    if (elf_read_firmware(elfPath.c_str(), &firmware) != 0 || firmware.flashsize == 0) {
        FreeFirmware(firmware);
        return "cannot load firmware " + elfPath;
    }
    if (firmware.mmcu[0] != '\0' && std::strcmp(firmware.mmcu, kMcu) != 0) {
        std::string problem =
            "firmware " + elfPath + " is built for " + firmware.mmcu + ", not " + kMcu;
        FreeFirmware(firmware);
        return problem;
    }
    avr_ = avr_make_mcu_by_name(kMcu);
    if (avr_ == nullptr) {
        FreeFirmware(firmware);
        return std::string("simavr does not know the ") + kMcu;
    }
    avr_init(avr_);
    // The board's crystal, whatever the image says.
    firmware.frequency = quillon::firmware::kCpuHz;
    avr_load_firmware(avr_, &firmware);
    FreeFirmware(firmware);
    avr_->frequency = quillon::firmware::kCpuHz;
    Tame(avr_);
    // simavr calls the core's own reset hook in the middle of every avr_reset(), after it
    // has cleared the registers and the timers; we take its place to hear of each reset.
    // The custom data slot is free for the embedding program's use.
    coreReset_ = avr_->reset;
    avr_->reset = AfterCoreReset;
    avr_->custom.data = this;
    std::memset(Eeprom(), 0xFF, EepromSize());
    return std::nullopt;
}

avr_io_t* SimavrBoard::Module(const char* kind) const {
    for (avr_io_t* io = avr_->io_port; io != nullptr; io = io->next) {
        if (std::strcmp(io->kind, kind) == 0) {
            return io;
        }
    }
    return nullptr;
}

std::vector<avr_io_t*> SimavrBoard::Modules(const char* kind) const {
    std::vector<avr_io_t*> found;
    for (avr_io_t* io = avr_->io_port; io != nullptr; io = io->next) {
        if (std::strcmp(io->kind, kind) == 0) {
            found.push_back(io);
        }
    }
    return found;
}

uint8_t SimavrBoard::Register(uint16_t address) const {
    return avr_->data[address];
}

avr_irq_t* SimavrBoard::AccessIrq(uint16_t address) const {
    return avr_iomem_getirq(avr_, address, nullptr, AVR_IOMEM_IRQ_ALL);
}

SimavrBoard::Cycle SimavrBoard::Now() const {
    return avr_->cycle;
}

double SimavrBoard::Microseconds(Cycle cycles) const {
    return double(cycles) * 1e6 / double(avr_->frequency);
}

SimavrBoard::Cycle SimavrBoard::CyclesFromMicroseconds(double us) const {
    return Cycle(std::llround(us * double(avr_->frequency) / 1e6));
}

bool SimavrBoard::RunUntil(Cycle until) {
    while (!Stopped() && avr_->cycle < until) {
        if (bootloaderUntil_ && avr_->cycle >= *bootloaderUntil_) {
            bootloaderUntil_.reset();
            OwnReset();
        }
        if (!RunSlice(bootloaderUntil_ ? std::min(until, *bootloaderUntil_) : until)) {
            return false;
        }
    }
    return !Stopped();
}

bool SimavrBoard::RunSlice(Cycle until) {
    // A sleeping core skips ahead to its next timer; this one keeps it from skipping past
    // the end of the slice, where the outside world may have something for it.
    avr_cycle_timer_register(avr_, until - avr_->cycle, EndOfSlice, this);
    while (avr_->cycle < until) {
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) {
            return false;
        }
    }
    avr_cycle_timer_cancel(avr_, EndOfSlice, this);
    return true;
}

bool SimavrBoard::Stopped() const {
    return avr_->state == cpu_Done || avr_->state == cpu_Crashed;
}

std::string SimavrBoard::StopReason() const {
    if (avr_->state == cpu_Crashed) {
        char where[32];
        std::snprintf(where, sizeof where, "0x%04X", unsigned(avr_->pc));
        return std::string("the firmware crashed at ") + where;
    }
    return "the firmware went to sleep with interrupts off";
}

void SimavrBoard::Reset() {
    bootloaderUntil_.reset();
    OwnReset();
}

void SimavrBoard::OwnReset() {
    outsideReset_ = true;
    avr_reset(avr_);
    outsideReset_ = false;
}

void SimavrBoard::HoldInBootloader(Cycle until) {
    bootloaderUntil_ = until;
    // A sleeping core with interrupts allowed skips from one simulated timer to the next,
    // and nothing wakes it: every interrupt source is off after the reset. The firmware
    // has not run an instruction yet; the reset at the end of the wait starts it.
    avr_->state = cpu_Sleeping;
    avr_->sreg[S_I] = 1;
}

std::optional<std::string> SimavrBoard::Hang() {
    // rjmp .-2, little-endian, at an instruction (even) address.
    constexpr uint8_t kJumpToSelf[2] = {0xFF, 0xCF};
    for (uint32_t at = 0; at + 2 <= avr_->codeend && at + 2 <= avr_->flashend + 1; at += 2) {
        if (avr_->flash[at] == kJumpToSelf[0] && avr_->flash[at + 1] == kJumpToSelf[1]) {
            avr_->pc = at;
            return std::nullopt;
        }
    }
    return "the firmware image has no endless loop to hang in";
}

void SimavrBoard::AfterCoreReset(avr_t* avr) {
    auto* self = static_cast<SimavrBoard*>(avr->custom.data);
    if (self->coreReset_ != nullptr) {
        self->coreReset_(avr);
    }
    // The peripherals reset after this hook and would undo our settings at once; the first
    // cycle after the reset applies them.
    avr_cycle_timer_register(avr, 1, TameAfterReset, self);
    for (const auto& listener : self->resetListeners_) {
        listener();
    }
}

void SimavrBoard::OnReset(std::function<void()> listener) {
    resetListeners_.push_back(std::move(listener));
}

uint8_t* SimavrBoard::Eeprom() const {
    const auto* eeprom = reinterpret_cast<const avr_eeprom_t*>(Module("eeprom"));
    return eeprom->eeprom;
}

std::size_t SimavrBoard::EepromSize() const {
    const auto* eeprom = reinterpret_cast<const avr_eeprom_t*>(Module("eeprom"));
    return eeprom->size;
}

} // namespace quillon::boardsim
