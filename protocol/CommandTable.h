#pragma once

// What each command carries and how the adapter answers it (docs/protocol.md, "Codes"), as
// data: the library, the simulators and the firmware all read the same table, so which
// reply answers which command, and with what, is written down once. Plain C++14 with
// nothing beyond <stdint.h> and <stddef.h>, because avr-g++ has no standard library.

#include "FrameFormat.h"

#include <stddef.h>
#include <stdint.h>

namespace quillon {
namespace protocol {

// The adapter's slave address on the bus master's side, in the 8-bit form the address
// commands carry it in.
struct SlaveAddress {
    // What an adapter answers on until another address is saved.
    static constexpr uint8_t kDefault = 0x40;
    // Bit 0 of the 8-bit form is the bus's read/write bit, not part of the address.
    static constexpr uint8_t kReadWriteBit = 0x01;

    // The address as the adapter keeps and reports it, whatever bit 0 was given.
    static constexpr uint8_t WithoutReadWriteBit(uint8_t address) {
        return static_cast<uint8_t>(address & ~kReadWriteBit);
    }

    // I2C keeps the 7-bit addresses 0x00..0x07 (general call, START byte, CBUS, other bus
    // formats, high-speed masters) and 0x78..0x7F (10-bit addressing, device ID) for
    // itself; in the 8-bit form these are 0x00..0x0F and 0xF0..0xFF. An adapter on one of
    // them would answer every general call, or be mistaken for a 10-bit address.
    static constexpr uint8_t kLastLowReserved = 0x0F;
    static constexpr uint8_t kFirstHighReserved = 0xF0;
    static constexpr bool IsReserved(uint8_t address) {
        return address <= kLastLowReserved || address >= kFirstHighReserved;
    }
};

// When the serial line is behind the bus master: whether the adapter holds the bus clock
// until the line has room (nothing lost, but the master waits), or keeps the bus at full
// speed and forwards the newest write, counting those it could not forward. Kept by the
// adapter across resets; an adapter that has never been told releases.
enum class Pacing : uint8_t {
    Release = 0x00,
    Hold = 0x01,
};
// The pacing command's payload that changes nothing and only asks.
constexpr uint8_t kPacingAsk = 0xFF;
constexpr uint8_t kPacingSize = 1;
constexpr bool IsPacingPayload(uint8_t value) {
    return value == static_cast<uint8_t>(Pacing::Release) ||
           value == static_cast<uint8_t>(Pacing::Hold) || value == kPacingAsk;
}

// The counters reply: five unsigned 32-bit numbers, least significant byte first, in this
// order. They count from the adapter's last reset and wrap at 2^32.
enum class Counter : uint8_t {
    MasterWrites = 0,  // write transactions with at least one data byte
    MasterReads = 1,   // read transactions
    AddressOnly = 2,   // START, address, STOP and nothing else (a bus scan's probe)
    NotForwarded = 3,  // master writes the serial line could not carry
    LongestHoldUs = 4, // the longest time the adapter held the bus clock, microseconds
};
constexpr uint8_t kCounterCount = 5;
constexpr uint8_t kCounterSize = 4;
constexpr uint8_t kCountersSize = kCounterCount * kCounterSize;
// The unsolicited not-forwarded report: the NotForwarded counter alone, same encoding.
constexpr uint8_t kNotForwardedSize = kCounterSize;

// The interrupt line a port write pulses, as the write command's first payload byte names
// it.
enum class InterruptType : uint8_t {
    None = 0,
    Line1 = 1,
    Line2 = 2,
};
constexpr uint8_t kMaxInterruptType = static_cast<uint8_t>(InterruptType::Line2);

// A port write carries 1..16 data bytes behind its interrupt type; the port takes the last.
constexpr uint8_t kMaxWriteData = 16;
// The version reply: 1..64 printable ASCII bytes, no terminator.
constexpr uint8_t kMaxVersionLength = 64;
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kLastPrintable = 0x7E;
// An address travels as one byte, in its 8-bit form (SlaveAddress above).
constexpr uint8_t kAddressSize = 1;
// An 'i' frame carries at least one byte of a master write, and a full frame at most.
constexpr uint8_t kMinMasterData = 1;

// What comes first in a command's payload.
enum class PayloadLead : uint8_t {
    Nothing,
    // The interrupt type; the reply code then counts up from the rule's reply by it.
    InterruptType,
    // One byte: a Pacing value or kPacingAsk.
    Pacing,
};

struct CommandRule {
    uint8_t code;
    PayloadLead lead;
    uint8_t minPayload;
    uint8_t maxPayload;
    uint8_t reply;
    uint8_t minReply;
    uint8_t maxReply;
};

constexpr CommandRule kCommandTable[] = {
    {FrameFormat::CmdVersion, PayloadLead::Nothing, 0, 0, FrameFormat::RepVersion, 1,
     kMaxVersionLength},
    {FrameFormat::CmdWrite, PayloadLead::InterruptType, 1 + 1, 1 + kMaxWriteData,
     FrameFormat::RepWrite, 0, 0},
    {FrameFormat::CmdReadAddress, PayloadLead::Nothing, 0, 0, FrameFormat::RepAddress, kAddressSize,
     kAddressSize},
    {FrameFormat::CmdChangeAddress, PayloadLead::Nothing, kAddressSize, kAddressSize,
     FrameFormat::RepChanged, kAddressSize, kAddressSize},
    {FrameFormat::CmdSaveAddress, PayloadLead::Nothing, 0, 0, FrameFormat::RepSaved, kAddressSize,
     kAddressSize},
    {FrameFormat::CmdPacing, PayloadLead::Pacing, kPacingSize, kPacingSize, FrameFormat::RepPacing,
     kPacingSize, kPacingSize},
    {FrameFormat::CmdCounters, PayloadLead::Nothing, 0, 0, FrameFormat::RepCounters, kCountersSize,
     kCountersSize},
};
constexpr size_t kCommandCount = sizeof(kCommandTable) / sizeof(kCommandTable[0]);

// The rule of a command code; null for a code that is no command.
constexpr const CommandRule* FindCommand(uint8_t code) {
    // By pointer: the microcontroller then steps through the table without multiplying.
    for (const CommandRule& rule : kCommandTable) {
        if (rule.code == code) {
            return &rule;
        }
    }
    return nullptr;
}

// The reply codes of a rule: one, or one per interrupt type.
constexpr uint8_t LastReply(const CommandRule& rule) {
    return rule.lead == PayloadLead::InterruptType
               ? static_cast<uint8_t>(rule.reply + kMaxInterruptType)
               : rule.reply;
}

// The rule whose command a reply code answers; null for a code that answers none.
constexpr const CommandRule* FindByReply(uint8_t reply) {
    for (size_t i = 0; i < kCommandCount; ++i) {
        if (reply >= kCommandTable[i].reply && reply <= LastReply(kCommandTable[i])) {
            return &kCommandTable[i];
        }
    }
    return nullptr;
}

// The reply code answering a command that CheckCommand() accepted.
constexpr uint8_t ReplyTo(const CommandRule& rule, const uint8_t* payload) {
    return rule.lead == PayloadLead::InterruptType ? static_cast<uint8_t>(rule.reply + payload[0])
                                                   : rule.reply;
}

// Whether a reply with this code may carry this many payload bytes.
constexpr bool ReplySizeFits(uint8_t reply, size_t length) {
    const CommandRule* rule = FindByReply(reply);
    return rule != nullptr && length >= rule->minReply && length <= rule->maxReply;
}

// Whether the bytes can be a version reply's text.
constexpr bool IsVersionText(const uint8_t* text, size_t length) {
    if (length < 1 || length > kMaxVersionLength) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < kFirstPrintable || text[i] > kLastPrintable) {
            return false;
        }
    }
    return true;
}

// Why an adapter leaves a command frame unanswered; None for one it answers.
enum class CommandFault : uint8_t {
    None,
    // SEQ 0 marks unsolicited frames: a reply carrying it could never be matched.
    UnsolicitedSeq,
    UnknownCode,
    PayloadSize,
    InterruptType,
    PacingValue,
};

// The same for a command whose rule the caller has found already.
constexpr CommandFault CheckCommand(uint8_t seq, const CommandRule& rule, const uint8_t* payload,
                                    size_t length) {
    if (seq == FrameFormat::kUnsolicitedSeq) {
        return CommandFault::UnsolicitedSeq;
    }
    if (length < rule.minPayload || length > rule.maxPayload) {
        return CommandFault::PayloadSize;
    }
    if (rule.lead == PayloadLead::InterruptType && payload[0] > kMaxInterruptType) {
        return CommandFault::InterruptType;
    }
    if (rule.lead == PayloadLead::Pacing && !IsPacingPayload(payload[0])) {
        return CommandFault::PacingValue;
    }
    return CommandFault::None;
}

constexpr CommandFault CheckCommand(uint8_t seq, uint8_t code, const uint8_t* payload,
                                    size_t length) {
    if (seq == FrameFormat::kUnsolicitedSeq) {
        return CommandFault::UnsolicitedSeq;
    }
    const CommandRule* rule = FindCommand(code);
    if (rule == nullptr) {
        return CommandFault::UnknownCode;
    }
    return CheckCommand(seq, *rule, payload, length);
}

} // namespace protocol
} // namespace quillon
