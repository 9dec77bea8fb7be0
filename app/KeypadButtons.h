#pragma once

#include "adapter/KeypadSwitches.h"

// The keypad page's buttons and the switches each presses (names of quillon::adapter). An
// expansion that uses the switches must see those names, e.g. with a using-directive.
#define QUILLON_KEYPAD_BUTTONS(X)                                                                  \
    X(BtnSW7, SW7)                                                                                 \
    X(BtnSW67, SW6 | SW7)                                                                          \
    X(BtnSW14, SW1 | SW4)                                                                          \
    X(BtnSW15, SW1 | SW5)                                                                          \
    X(BtnSW85, SW8 | SW5)                                                                          \
    X(BtnSW84, SW8 | SW4)                                                                          \
    X(BtnSW24, SW2 | SW4)                                                                          \
    X(BtnSW25, SW2 | SW5)                                                                          \
    X(BtnSW34, SW3 | SW4)                                                                          \
    X(BtnSW35, SW3 | SW5)                                                                          \
    X(BtnSW5, SW5)                                                                                 \
    X(BtnSW4, SW4)                                                                                 \
    X(BtnSW3, SW3)                                                                                 \
    X(BtnSW8, SW8)                                                                                 \
    X(BtnSW1, SW1)                                                                                 \
    X(BtnSW2, SW2)                                                                                 \
    X(BtnSW3Z, SW3)                                                                                \
    X(BtnSW8Z, SW8)                                                                                \
    X(BtnSW1f, SW1)                                                                                \
    X(BtnSW2f, SW2)                                                                                \
    X(BtnSW5f, SW5)                                                                                \
    X(BtnSW4f, SW4)                                                                                \
    X(BtnSW56, SW5 | SW6)                                                                          \
    X(BtnSW46, SW4 | SW6)
