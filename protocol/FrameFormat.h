#pragma once

// The adapter's frame format (docs/protocol.md): layout, codes and CRC. The host's codec and
// the adapter firmware both take them from here, so the two cannot disagree; what each
// command carries and how it is answered is in CommandTable.h.
// Plain C++14 with nothing beyond <stdint.h> and <stddef.h>, because avr-g++ has no
// standard library to offer.

#include <stddef.h>
#include <stdint.h>

namespace quillon {
namespace protocol {

struct FrameFormat {
    static constexpr uint8_t kStx = 0x02;
    static constexpr size_t kMaxPayload = 127;
    static constexpr size_t kHeaderSize = 4; // STX LEN SEQ CODE
    static constexpr size_t kCrcSize = 1;
    static constexpr size_t kMaxFrame = kHeaderSize + kMaxPayload + kCrcSize;

    // Where the header fields sit in a frame.
    static constexpr size_t kLengthOffset = 1;
    static constexpr size_t kSeqOffset = 2;
    static constexpr size_t kCodeOffset = 3;

    // SEQ of a frame the adapter sends on its own; a command never carries it.
    static constexpr uint8_t kUnsolicitedSeq = 0;

    // CRC-8: polynomial x^8 + x^2 + x + 1, initial value 0, no reflection, no final XOR.
    static constexpr uint8_t kCrcInitial = 0x00;
    static constexpr uint8_t kCrcPolynomial = 0x07;

    // Command codes (library -> adapter) and reply / unsolicited codes (adapter -> library).
    enum Code : uint8_t {
        CmdVersion = 'V',
        CmdWrite = 'W',
        CmdReadAddress = 'A',
        CmdChangeAddress = 'C',
        CmdSaveAddress = 'S',
        CmdPacing = 'P',
        CmdCounters = 'Q',
        RepVersion = 'v',
        RepWrite = 'w', // 'x' and 'y' follow for interrupt lines 1 and 2
        RepAddress = 'a',
        RepChanged = 'c',
        RepSaved = 's',
        RepPacing = 'p',
        RepCounters = 'q',
        MasterData = 'i',
        // Unsolicited: how many master writes the adapter could not forward so far.
        NotForwarded = 'd',
    };

    // Folds one byte into a running CRC; start from kCrcInitial and feed LEN, SEQ, CODE and
    // the payload in order.
    static constexpr uint8_t Crc8Step(uint8_t crc, uint8_t byte) {
        crc = static_cast<uint8_t>(crc ^ byte);
        for (uint8_t bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80) ? static_cast<uint8_t>((crc << 1) ^ kCrcPolynomial)
                               : static_cast<uint8_t>(crc << 1);
        }
        return crc;
    }
};

// The serial line's settings and timing: both ends set the line up from here, and both
// apply the same idle rule.
struct LineFormat {
    // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
    static constexpr uint32_t kBaud = 9600;
    static constexpr uint8_t kDataBits = 8;
    static constexpr uint8_t kStopBits = 1;
    // A byte on the wire: start bit, data bits, stop bit.
    static constexpr uint8_t kBitsPerByte = 1 + kDataBits + kStopBits;

    // A sender writes each frame in one go, so a partial frame that gets no byte for this
    // long is broken: the receiver gives up its start byte.
    static constexpr uint16_t kLineIdleMs = 20;
};

} // namespace protocol
} // namespace quillon
