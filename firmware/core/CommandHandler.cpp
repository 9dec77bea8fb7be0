#include "CommandHandler.h"

#include "BusCommands.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameFormat.h"

namespace quillon {
namespace firmware {

using protocol::FrameFormat;
using protocol::SlaveAddress;

CommandHandler::CommandHandler(BoardIo& board, const char* version, uint8_t versionLength,
                               uint8_t address)
    : board_(board), version_(version), versionLength_(versionLength),
      address_(SlaveAddress::WithoutReadWriteBit(address)) {}

uint8_t CommandHandler::ReplyRoom() const {
    // The version reply or the counters reply is the longest; the others carry one byte
    // at most.
    return TxQueue::FrameSize(versionLength_ > protocol::kCountersSize ? versionLength_
                                                                       : protocol::kCountersSize);
}

void CommandHandler::Handle(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t length,
                            TxQueue& tx) {
    if (protocol::CheckCommand(seq, code, payload, length) != protocol::CommandFault::None) {
        return;
    }
    const uint8_t reply = protocol::ReplyTo(*protocol::FindCommand(code), payload);
    switch (code) {
    case FrameFormat::CmdVersion:
        tx.PutFrame(seq, reply, reinterpret_cast<const uint8_t*>(version_), versionLength_);
        break;
    case FrameFormat::CmdWrite:
        Write(seq, reply, payload, length, tx);
        break;
    case FrameFormat::CmdReadAddress:
        tx.PutFrame(seq, reply, &address_, protocol::kAddressSize);
        break;
    case FrameFormat::CmdChangeAddress:
        address_ = SlaveAddress::WithoutReadWriteBit(payload[0]);
        board_.UseAddress(address_);
        tx.PutFrame(seq, reply, &address_, protocol::kAddressSize);
        break;
    case FrameFormat::CmdSaveAddress:
        // Confirming a save that did not happen would make the panel show an address
        // that is gone after the next reset; silence shows up as a time-out instead.
        if (board_.SaveAddress(address_)) {
            tx.PutFrame(seq, reply, &address_, protocol::kAddressSize);
        }
        break;
    case FrameFormat::CmdPacing:
        BusCommands::Pacing(board_, seq, reply, payload[0], tx);
        break;
    case FrameFormat::CmdCounters:
        BusCommands::Counters(board_, seq, reply, tx);
        break;
    default:
        break;
    }
}

void CommandHandler::Write(uint8_t seq, uint8_t reply, const uint8_t* payload, uint8_t length,
                           TxQueue& tx) {
    const InterruptLine interrupt = static_cast<InterruptLine>(payload[0]);
    // The port takes the last data byte; the master sees the change before the
    // interrupt pulse tells it to look, and the library hears of it last.
    board_.WritePort(payload[length - 1]);
    if (interrupt != InterruptLine::None) {
        board_.PulseInterrupt(interrupt);
    }
    tx.PutFrame(seq, reply, nullptr, 0);
}

} // namespace firmware
} // namespace quillon
