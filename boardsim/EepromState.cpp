#include "EepromState.h"

#include "firmware/AddressSlots.h"
#include "firmware/BoardLayout.h"
#include "simkit/HexText.h"
#include "simkit/StateFile.h"

#include <avr_eeprom.h>
#include <sim_avr.h>

#include <algorithm>

namespace quillon::boardsim {

using simkit::HexText;
using simkit::StateFile;

namespace {

constexpr uint8_t kErased = 0xFF;

// The firmware's own rules over the simulated cells.
struct CellArray {
    uint8_t Read(uint16_t cell) const { return cells[cell]; }
    void Write(uint16_t cell, uint8_t value) { cells[cell] = value; }
    EepromState::Cells& cells;
};

} // namespace

EepromState::Cells EepromState::CellsFor(std::optional<uint8_t> address) {
    Cells cells;
    cells.fill(kErased);
    if (address) {
        CellArray array{cells};
        firmware::AddressSlots<CellArray>(array).Save(*address);
    }
    return cells;
}

std::optional<uint8_t> EepromState::AddressIn(Cells cells) {
    CellArray array{cells};
    uint8_t address;
    if (!firmware::AddressSlots<CellArray>(array).Find(address)) {
        return std::nullopt;
    }
    return address;
}

EepromState::EepromState(SimavrBoard& board, std::string path, Report report)
    : board_(board), path_(std::move(path)), report_(std::move(report)) {
    if (path_.empty()) {
        return;
    }
    const auto* eeprom = reinterpret_cast<const avr_eeprom_t*>(board_.Module("eeprom"));
    // Raised after simavr has carried out each access to EECR, so a programmed byte is
    // already in the cells when we look.
    avr_irq_register_notify(board_.AccessIrq(eeprom->r_eecr), OnControlWritten, this);
}

std::optional<std::string> EepromState::Load() {
    if (path_.empty()) {
        return std::nullopt;
    }
    const StateFile::LoadResult loaded = StateFile(path_).Load();
    std::optional<std::string> problem;
    switch (loaded.status) {
    case StateFile::LoadStatus::Loaded:
        stored_ = loaded.address;
        break;
    case StateFile::LoadStatus::Malformed:
        problem = loaded.error + "; the EEPROM starts erased";
        break;
    case StateFile::LoadStatus::Missing:
        break;
    }
    const Cells cells = CellsFor(stored_);
    std::copy(cells.begin(), cells.end(), board_.Eeprom());
    return problem;
}

EepromState::Cells EepromState::Current() const {
    Cells cells;
    std::copy_n(board_.Eeprom(), cells.size(), cells.begin());
    return cells;
}

void EepromState::OnControlWritten(avr_irq_t*, uint32_t, void* param) {
    static_cast<EepromState*>(param)->CheckForChange();
}

void EepromState::CheckForChange() {
    // Part of the way through a save the cells still hold the old address.
    const std::optional<uint8_t> address = AddressIn(Current());
    if (!address || address == stored_) {
        return;
    }
    if (const auto error = StateFile(path_).Save(*address)) {
        report_("error EEPROM address " + HexText::Byte(*address) +
                    " not kept in the state file: " + *error,
                board_.Now());
        return;
    }
    stored_ = address;
}

} // namespace quillon::boardsim
