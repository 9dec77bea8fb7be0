#include "EepromState.h"

#include "firmware/BoardLayout.h"
#include "simkit/HexText.h"
#include "simkit/StateFile.h"

#include <avr_eeprom.h>
#include <sim_avr.h>

namespace quillon::boardsim {

using simkit::HexText;
using simkit::StateFile;

namespace {
constexpr uint8_t kErased = 0xFF;
}

EepromState::Cells EepromState::CellsFor(std::optional<uint8_t> address) {
    if (!address) {
        return {kErased, kErased};
    }
    return {*address, uint8_t(~*address)};
}

std::optional<uint8_t> EepromState::AddressIn(Cells cells) {
    if (cells[1] != uint8_t(~cells[0])) {
        return std::nullopt;
    }
    return cells[0];
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
    board_.Eeprom()[firmware::kEepromAddressCell] = cells[0];
    board_.Eeprom()[firmware::kEepromCheckCell] = cells[1];
    return problem;
}

EepromState::Cells EepromState::Current() const {
    return {board_.Eeprom()[firmware::kEepromAddressCell],
            board_.Eeprom()[firmware::kEepromCheckCell]};
}

void EepromState::OnControlWritten(avr_irq_t*, uint32_t, void* param) {
    static_cast<EepromState*>(param)->CheckForChange();
}

void EepromState::CheckForChange() {
    // Between writing the address and its complement the pair is invalid: wait for both.
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
