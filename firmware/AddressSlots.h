#pragma once

#include "BoardLayout.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// The saved slave address in the EEPROM cells of BoardLayout.h, laid out so that a reset
// at any moment of a save (an EEPROM byte takes 3.4 ms to write) leaves either the old or
// the new address, never none and never a third one.
//
// Two slots {sequence, address, check}, check = sequence ^ address ^ kMark. The valid slot
// with the newer sequence holds the address; a save rewrites the other slot: the address,
// the check, and last the sequence, one past the other slot's. Sequence 0xFF (an erased
// cell) marks a slot as empty whatever the rest holds. Each write changes one term of the
// check, so a reset that cuts off any of them, leaving any value in that cell, leaves the
// slot empty, not valid, valid but with a sequence older than the other slot's (so not
// used), or done.
// With no valid slot, the first firmware's pair (address, complement) in the old cells
// still counts.
//
// Cells is the EEPROM: `uint8_t Read(uint16_t cell) const`, `void Write(uint16_t cell,
// uint8_t value)`. A template, so the microcontroller calls its EEPROM directly and the
// host tests and the board simulator use the same rules on their own arrays.
template <class Cells> class AddressSlots {
public:
    static constexpr uint8_t kMark = 0xA5;
    static constexpr uint8_t kEmpty = 0xFF;
    static constexpr uint8_t kLastSequence = 0xFE;

    explicit AddressSlots(Cells& cells) : cells_(cells) {}

    // The address saved last; false when nothing valid is stored.
    bool Find(uint8_t& address) const {
        const int8_t newest = Newest();
        if (newest >= 0) {
            address = cells_.Read(Cell(newest, kAddress));
            return true;
        }
        const uint8_t old = cells_.Read(kEepromOldAddressCell);
        if (cells_.Read(kEepromOldCheckCell) != static_cast<uint8_t>(~old)) {
            return false;
        }
        address = old;
        return true;
    }

    void Save(uint8_t address) {
        const int8_t newest = Newest();
        const uint8_t slot = newest == 0 ? 1 : 0;
        const uint8_t sequence = newest < 0 ? 0 : Next(cells_.Read(Cell(newest, kSequence)));
        cells_.Write(Cell(slot, kAddress), address);
        cells_.Write(Cell(slot, kCheck), Check(sequence, address));
        cells_.Write(Cell(slot, kSequence), sequence);
    }

private:
    enum Field : uint8_t { kSequence, kAddress, kCheck };

    static uint16_t Cell(uint8_t slot, Field field) {
        return static_cast<uint16_t>(kEepromFirstSlotCell + slot * kEepromSlotSize + field);
    }

    static uint8_t Next(uint8_t sequence) {
        return sequence >= kLastSequence ? 0 : static_cast<uint8_t>(sequence + 1);
    }

    static uint8_t Check(uint8_t sequence, uint8_t address) {
        return static_cast<uint8_t>(sequence ^ address ^ kMark);
    }

    bool Valid(uint8_t slot) const {
        const uint8_t sequence = cells_.Read(Cell(slot, kSequence));
        return sequence != kEmpty && cells_.Read(Cell(slot, kCheck)) ==
                                         Check(sequence, cells_.Read(Cell(slot, kAddress)));
    }

    // The slot holding the address, or -1. Of two valid slots, the one whose sequence
    // follows the other's (0 follows kLastSequence).
    int8_t Newest() const {
        if (!Valid(0)) {
            return Valid(1) ? 1 : -1;
        }
        return Valid(1) && Next(cells_.Read(Cell(0, kSequence))) == cells_.Read(Cell(1, kSequence))
                   ? 1
                   : 0;
    }

    Cells& cells_;
};

} // namespace firmware
} // namespace quillon
