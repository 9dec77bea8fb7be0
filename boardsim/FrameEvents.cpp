#include "FrameEvents.h"

#include "protocol/CommandTable.h"
#include "simkit/CommandRules.h"
#include "simkit/HexText.h"

namespace quillon::boardsim {

using quillon::protocol::ProtocolCodec;
using simkit::CommandRules;
using simkit::HexText;

namespace {

// A reply the protocol allows for its code: the size the table gives, and a version text
// that can be one.
bool ReplyFits(const ProtocolCodec::Frame& frame) {
    if (!quillon::protocol::ReplySizeFits(frame.code, frame.length)) {
        return false;
    }
    return frame.code != ProtocolCodec::RepVersion ||
           quillon::protocol::IsVersionText(frame.payload.data(), frame.length);
}

// The index-th unsigned 32-bit counter of a payload, least significant byte first.
uint32_t CounterAt(const ProtocolCodec::Frame& frame, std::size_t index) {
    uint32_t value = 0;
    for (std::size_t byte = quillon::protocol::kCounterSize; byte-- > 0;) {
        value = (value << 8) | frame.payload[index * quillon::protocol::kCounterSize + byte];
    }
    return value;
}

std::string Describe(const ProtocolCodec::Frame& frame) {
    return "reply " + CommandRules::CodeName(frame.code) + " seq " + std::to_string(frame.seq);
}

} // namespace

std::vector<std::string> FrameEvents::FromHost(const Frame& frame, uint8_t address) {
    Command command;
    command.code = frame.code;
    command.addressBefore = address;
    std::vector<std::string> lines;
    if (auto why = CommandRules::Problem(frame)) {
        lines.push_back(CommandRules::Refusal(frame, *why));
    } else {
        command.expectedReply = quillon::protocol::ReplyTo(
            *quillon::protocol::FindCommand(frame.code), frame.payload.data());
    }
    pending_[frame.seq] = command;
    return lines;
}

FrameEvents::Result FrameEvents::FromBoard(const Frame& frame) {
    Result result;
    if (frame.seq == ProtocolCodec::kUnsolicitedSeq) {
        // The master writes the firmware could not forward: the host hears of them, the
        // log says how many so far.
        if (frame.code == ProtocolCodec::NotForwarded &&
            frame.length == quillon::protocol::kNotForwardedSize) {
            result.lines.push_back("not forwarded " + std::to_string(CounterAt(frame, 0)));
        } else if (frame.code != ProtocolCodec::MasterData) {
            result.lines.push_back("error firmware sent unsolicited frame " +
                                   CommandRules::CodeName(frame.code));
        }
        return result;
    }
    const std::optional<Command> command = pending_[frame.seq];
    pending_[frame.seq].reset();
    if (!command) {
        result.lines.push_back("error firmware " + Describe(frame) + " answers no command");
        return result;
    }
    if (command->expectedReply == 0) {
        result.lines.push_back("error firmware " + Describe(frame) + " answers frame " +
                               CommandRules::CodeName(command->code) + ", which needs no answer");
        return result;
    }
    if (frame.code != command->expectedReply) {
        result.lines.push_back("error firmware " + Describe(frame) + " does not fit command " +
                               CommandRules::CodeName(command->code));
        return result;
    }
    if (!ReplyFits(frame)) {
        result.lines.push_back("error firmware " + Describe(frame) + " has payload length " +
                               std::to_string(frame.length));
        return result;
    }
    // The address replies carry the address as their one byte.
    const std::string address = frame.length > 0 ? HexText::Byte(frame.payload[0]) : std::string();
    switch (frame.code) {
    case ProtocolCodec::RepVersion:
        result.lines.push_back("version sent");
        break;
    case ProtocolCodec::RepAddress:
        result.lines.push_back("address read " + address);
        break;
    case ProtocolCodec::RepChanged:
        result.lines.push_back("address " + HexText::Byte(command->addressBefore) + " -> " +
                               address);
        break;
    case ProtocolCodec::RepSaved:
        result.lines.push_back("address saved " + address);
        break;
    case ProtocolCodec::RepPacing:
        result.lines.push_back(frame.payload[0] ==
                                       static_cast<uint8_t>(quillon::protocol::Pacing::Hold)
                                   ? "pacing hold"
                                   : "pacing release");
        break;
    case ProtocolCodec::RepCounters:
        result.lines.push_back("counters sent");
        break;
    default:
        // w, x, y: the pins tell what the write did.
        result.portWritten = true;
        break;
    }
    return result;
}

} // namespace quillon::boardsim
