#pragma once

#include "BoardIo.h"
#include "BusCommands.h"
#include "ReplyQueue.h"
#include "TxQueue.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameFormat.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Carries out the library's commands as they arrive and owes their replies, exactly as
// docs/protocol.md lays them down: a command the protocol's command table refuses (SEQ 0,
// an unknown code, a payload that does not fit its code) gets no reply at all. The replies
// wait in a ReplyQueue and become frames once the transmit queue has room for them.
//
// Board offers BoardIo's calls. The host tests use BoardIo itself; the microcontroller
// passes its one board class, so its calls are direct (and mostly inlined) rather than
// virtual, which saves the flash a call through the table costs at every use.
template <class Board = BoardIo> class CommandHandler {
public:
    // The version text must be 1..64 printable characters and outlive the handler.
    CommandHandler(Board& board, const char* version, uint8_t versionLength, uint8_t address)
        : board_(board), version_(version), versionLength_(versionLength),
          address_(protocol::SlaveAddress::WithoutReadWriteBit(address)) {}

    // Expects !replies.Full().
    void Handle(uint8_t seq, uint8_t code, const uint8_t* payload, uint8_t length,
                ReplyQueue& replies);

    // Queues the frame of the oldest reply owed; false when the transmit queue has no room
    // for it yet. Expects !replies.Empty().
    bool SendNext(ReplyQueue& replies, TxQueue& tx) const;

    uint8_t Address() const { return address_; }

private:
    void ChangeAddress(uint8_t address);
    void Write(const uint8_t* payload, uint8_t length);

    Board& board_;
    const char* version_;
    uint8_t versionLength_;
    uint8_t address_;
};

template <class Board>
void CommandHandler<Board>::Handle(uint8_t seq, uint8_t code, const uint8_t* payload,
                                   uint8_t length, ReplyQueue& replies) {
    using protocol::FrameFormat;
    using protocol::SlaveAddress;
    // The table is searched once: the rule both checks the frame and names the reply.
    const protocol::CommandRule* rule = protocol::FindCommand(code);
    if (rule == nullptr ||
        protocol::CheckCommand(seq, *rule, payload, length) != protocol::CommandFault::None) {
        return;
    }
    // Each case carries the command out and leaves the reply's one payload byte, where the
    // reply has one; a reply of several bytes gets them in SendNext(). A command without a
    // case here is not answered.
    uint8_t value = 0;
    switch (code) {
    case FrameFormat::CmdVersion:
        break;
    case FrameFormat::CmdWrite:
        Write(payload, length);
        break;
    case FrameFormat::CmdReadAddress:
        value = address_;
        break;
    case FrameFormat::CmdChangeAddress:
        ChangeAddress(SlaveAddress::WithoutReadWriteBit(payload[0]));
        value = address_;
        break;
    case FrameFormat::CmdPacing:
        value = BusCommands::Pacing(board_, payload[0]);
        break;
    case FrameFormat::CmdCounters:
        break;
    case FrameFormat::CmdSaveAddress:
        // Confirming a save that did not happen would make the panel show an address
        // that is gone after the next reset; silence shows up as a time-out instead.
        if (!board_.SaveAddress(address_)) {
            return;
        }
        value = address_;
        break;
    default:
        return;
    }
    replies.Add(seq, protocol::ReplyTo(*rule, payload), value);
}

template <class Board>
bool CommandHandler<Board>::SendNext(ReplyQueue& replies, TxQueue& tx) const {
    using protocol::FrameFormat;
    const ReplyQueue::Run& run = replies.Front();
    const uint8_t* payload = &run.value;
    // Both builds (AVR and the host's) keep a uint32_t least significant byte first, so the
    // counters' memory is the reply's payload.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "counters go out as stored");
    BusCounters counters = {};
    // The write replies (w, x, y) carry nothing, the others of one byte the run's byte; a
    // longer reply gets its case below.
    const uint8_t afterWrite = static_cast<uint8_t>(run.code - FrameFormat::RepWrite);
    uint8_t size = afterWrite <= protocol::kMaxInterruptType ? 0 : sizeof run.value;
    switch (run.code) {
    case FrameFormat::RepVersion:
        payload = reinterpret_cast<const uint8_t*>(version_);
        size = versionLength_;
        break;
    case FrameFormat::RepCounters:
        // Counted up to the moment the reply leaves, not when it was asked for.
        board_.ReadCounters(counters);
        payload = reinterpret_cast<const uint8_t*>(counters);
        size = protocol::kCountersSize;
        break;
    default:
        break;
    }
    if (!tx.PutFrame(run.first, run.code, payload, size)) {
        return false;
    }
    replies.PopFront();
    return true;
}

template <class Board> void CommandHandler<Board>::ChangeAddress(uint8_t address) {
    // On a reserved address the adapter would answer every general call or pass for a
    // 10-bit address; the reply then names the address still in use, so the panel sees
    // the refusal.
    if (protocol::SlaveAddress::IsReserved(address) || address == address_) {
        return;
    }
    address_ = address;
    board_.UseAddress(address_);
}

template <class Board> void CommandHandler<Board>::Write(const uint8_t* payload, uint8_t length) {
    const InterruptLine interrupt = static_cast<InterruptLine>(payload[0]);
    // The port takes the last data byte; the master sees the change before the
    // interrupt pulse tells it to look, and the library hears of it last.
    board_.WritePort(payload[length - 1]);
    if (interrupt != InterruptLine::None) {
        board_.PulseInterrupt(interrupt);
    }
}

} // namespace firmware
} // namespace quillon
