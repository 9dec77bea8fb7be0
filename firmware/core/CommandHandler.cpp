#include "CommandHandler.h"

#include "vantrel32/FrameFormat.h"

namespace quillon {
namespace firmware {

using quillon::link::FrameFormat;

namespace {

// Bit 0 of the 8-bit address form is the bus's read/write bit, not part of the address.
constexpr uint8_t kReadWriteBit = 0x01;

uint8_t WithoutReadWriteBit(uint8_t address) {
    return static_cast<uint8_t>(address & ~kReadWriteBit);
}

} // namespace

CommandHandler::CommandHandler(BoardIo& board, const char* version, uint8_t versionLength,
                               uint8_t address)
    : board_(board), version_(version), versionLength_(versionLength),
      address_(WithoutReadWriteBit(address)) {}

uint8_t CommandHandler::ReplyRoom() const {
    // The version reply is the longest; the others carry one byte at most.
    return TxQueue::FrameSize(versionLength_ > 1 ? versionLength_ : 1);
}

void CommandHandler::Handle(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t length,
                            TxQueue& tx) {
    // SEQ 0 marks unsolicited frames; a reply carrying it could never be matched.
    if (seq == FrameFormat::kUnsolicitedSeq) {
        return;
    }
    switch (code) {
    case FrameFormat::CmdVersion:
        if (length == 0) {
            tx.PutFrame(seq, FrameFormat::RepVersion, reinterpret_cast<const uint8_t*>(version_),
                        versionLength_);
        }
        break;
    case FrameFormat::CmdWrite:
        Write(seq, payload, length, tx);
        break;
    case FrameFormat::CmdReadAddress:
        if (length == 0) {
            tx.PutFrame(seq, FrameFormat::RepAddress, &address_, 1);
        }
        break;
    case FrameFormat::CmdChangeAddress:
        if (length == 1) {
            address_ = WithoutReadWriteBit(payload[0]);
            board_.UseAddress(address_);
            tx.PutFrame(seq, FrameFormat::RepChanged, &address_, 1);
        }
        break;
    case FrameFormat::CmdSaveAddress:
        // Confirming a save that did not happen would make the panel show an address
        // that is gone after the next reset; silence shows up as a time-out instead.
        if (length == 0 && board_.SaveAddress(address_)) {
            tx.PutFrame(seq, FrameFormat::RepSaved, &address_, 1);
        }
        break;
    default:
        break;
    }
}

void CommandHandler::Write(uint8_t seq, const uint8_t* payload, uint8_t length, TxQueue& tx) {
    if (length < 2 || length > 1 + FrameFormat::kMaxWriteData) {
        return;
    }
    const uint8_t interrupt = payload[0];
    if (interrupt > FrameFormat::kMaxInterruptType) {
        return;
    }
    // The port takes the last data byte; the master sees the change before the
    // interrupt pulse tells it to look, and the library hears of it last.
    board_.WritePort(payload[length - 1]);
    if (interrupt != static_cast<uint8_t>(InterruptLine::None)) {
        board_.PulseInterrupt(static_cast<InterruptLine>(interrupt));
    }
    tx.PutFrame(seq, static_cast<uint8_t>(FrameFormat::RepWrite + interrupt), nullptr, 0);
}

} // namespace firmware
} // namespace quillon
