#pragma once

#include "SimavrBoard.h"
#include "firmware/BoardLayout.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillon::boardsim {

// The board's EEPROM as the simulator's --state file. The firmware keeps the saved slave
// address in the cells of BoardLayout.h (AddressSlots); the file keeps the same address in
// the adapter simulator's format ("address 7E"), so a test can use either simulator. A
// missing file is an erased EEPROM. Whenever the cells hold an address that differs from
// the file, the file is replaced (atomically, see StateFile).
class EepromState {
public:
    using Report = std::function<void(const std::string& line, SimavrBoard::Cycle when)>;
    using Cells = std::array<uint8_t, firmware::kEepromAddressCells>;

    // The cells for an address as the firmware's first save leaves them; all erased (FF)
    // for none.
    static Cells CellsFor(std::optional<uint8_t> address);
    // The address the cells hold, if they hold one.
    static std::optional<uint8_t> AddressIn(Cells cells);

    // Without a path the EEPROM simply lives as long as the process.
    EepromState(SimavrBoard& board, std::string path, Report report);

    // Fills the cells from the file; returns why the file was unusable, if it was.
    std::optional<std::string> Load();

private:
    static void OnControlWritten(avr_irq_t* irq, uint32_t value, void* param);
    Cells Current() const;
    void CheckForChange();

    SimavrBoard& board_;
    std::string path_;
    Report report_;
    std::optional<uint8_t> stored_;
};

} // namespace quillon::boardsim
