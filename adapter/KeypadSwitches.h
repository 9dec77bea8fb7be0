#pragma once

// The adjustment switches SW1..SW8 of the camera control unit, as it reads them on the
// expander's port pins. Everything that presses or watches these switches takes the
// assignment from here: the panel's keypad page, the simulator's camera unit, and tools
// that press switches by name. Plain C++17 without Qt, so the simulator can use it too.

#include <array>
#include <cstdint>
#include <string_view>

namespace quillon::adapter {

// The port pin of each switch as a bit mask. The switches are active low: a pressed
// switch pulls its pin to 0.
enum SwitchMask : uint8_t {
    SW8 = 0x01, // P0
    SW3 = 0x02, // P1
    SW2 = 0x04, // P2
    SW1 = 0x08, // P3
    SW5 = 0x10, // P4
    SW4 = 0x20, // P5
    SW7 = 0x40, // P6
    SW6 = 0x80, // P7
};

// The port pattern with no switch pressed.
constexpr uint8_t kReleased = 0xFF;

// How long the camera keypad holds its switches down before it releases them, in ms.
constexpr int kHoldMs = 250;

// The port pattern that holds down the switches of the mask (e.g. SW6 | SW7) and leaves
// the others released.
constexpr uint8_t Pattern(unsigned pressed) {
    return static_cast<uint8_t>(kReleased & ~pressed);
}

struct Switch {
    std::string_view name;
    uint8_t mask;
};

// The switches in the order of their numbers.
constexpr std::array<Switch, 8> kSwitches{{
    {"SW1", SW1},
    {"SW2", SW2},
    {"SW3", SW3},
    {"SW4", SW4},
    {"SW5", SW5},
    {"SW6", SW6},
    {"SW7", SW7},
    {"SW8", SW8},
}};

// The mask of the switch named "SW1" .. "SW8", in upper or lower case; 0 for any other
// name.
constexpr uint8_t SwitchByName(std::string_view name) {
    for (const Switch& sw : kSwitches) {
        if (name.size() != sw.name.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            const char c = name[i];
            const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            same = upper == sw.name[i];
        }
        if (same) {
            return sw.mask;
        }
    }
    return 0;
}

} // namespace quillon::adapter
