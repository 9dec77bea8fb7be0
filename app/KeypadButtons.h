#pragma once

// The keypad page's buttons and the port pattern each writes: 0xFF with the bits of the
// pressed switches cleared (SW8 P0, SW3 P1, SW2 P2, SW1 P3, SW5 P4, SW4 P5, SW7 P6, SW6 P7).
#define QUILLON_KEYPAD_BUTTONS(X)                                                                  \
    X(BtnSW7, 0xBF)                                                                                \
    X(BtnSW67, 0x3F)                                                                               \
    X(BtnSW14, 0xD7)                                                                               \
    X(BtnSW15, 0xE7)                                                                               \
    X(BtnSW85, 0xEE)                                                                               \
    X(BtnSW84, 0xDE)                                                                               \
    X(BtnSW24, 0xDB)                                                                               \
    X(BtnSW25, 0xEB)                                                                               \
    X(BtnSW34, 0xDD)                                                                               \
    X(BtnSW35, 0xED)                                                                               \
    X(BtnSW5, 0xEF)                                                                                \
    X(BtnSW4, 0xDF)                                                                                \
    X(BtnSW3, 0xFD)                                                                                \
    X(BtnSW8, 0xFE)                                                                                \
    X(BtnSW1, 0xF7)                                                                                \
    X(BtnSW2, 0xFB)                                                                                \
    X(BtnSW3Z, 0xFD)                                                                               \
    X(BtnSW8Z, 0xFE)                                                                               \
    X(BtnSW1f, 0xF7)                                                                               \
    X(BtnSW2f, 0xFB)                                                                               \
    X(BtnSW5f, 0xEF)                                                                               \
    X(BtnSW4f, 0xDF)                                                                               \
    X(BtnSW56, 0x6F)                                                                               \
    X(BtnSW46, 0x5F)
