#include "FrameEvents.h"

#include "protocol/CommandTable.h"
#include "simkit/CommandRules.h"
#include "simkit/HexText.h"

#include <algorithm>

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

// More commands in flight than any host has reason to send without waiting for replies.
constexpr std::size_t kMaxPending = 256;

std::string Describe(const ProtocolCodec::Frame& frame) {
    return "reply " + CommandRules::CodeName(frame.code) + " seq " + std::to_string(frame.seq);
}

// A counter as the protocol carries it: four bytes, least significant first.
uint32_t Counter(const ProtocolCodec::Frame& frame) {
    uint32_t value = 0;
    for (int i = quillon::protocol::kCounterSize - 1; i >= 0; --i) {
        value = (value << 8) | frame.payload[std::size_t(i)];
    }
    return value;
}

// The frames the board sends on its own: master data speaks through the bus lines, the
// not-forwarded report by its count.
std::vector<std::string> Unsolicited(const ProtocolCodec::Frame& frame) {
    if (frame.code == ProtocolCodec::MasterData) {
        return {};
    }
    if (frame.code != ProtocolCodec::NotForwarded) {
        return {"error firmware sent unsolicited frame " + CommandRules::CodeName(frame.code)};
    }
    if (frame.length != quillon::protocol::kNotForwardedSize) {
        return {"error firmware unsolicited frame " + CommandRules::CodeName(frame.code) +
                " has payload length " + std::to_string(frame.length)};
    }
    return {"writes not forwarded " + std::to_string(Counter(frame))};
}

std::string PacingLine(const ProtocolCodec::Frame& frame) {
    const uint8_t value = frame.payload[0];
    switch (static_cast<quillon::protocol::Pacing>(value)) {
    case quillon::protocol::Pacing::Release:
        return "pacing release";
    case quillon::protocol::Pacing::Hold:
        return "pacing hold";
    }
    return "error firmware " + Describe(frame) + " has pacing value " + std::to_string(value);
}

} // namespace

std::vector<std::string> FrameEvents::FromHost(const Frame& frame, uint8_t address) {
    Command command;
    command.seq = frame.seq;
    command.code = frame.code;
    command.addressBefore = address;
    std::vector<std::string> lines;
    if (auto why = CommandRules::Problem(frame)) {
        lines.push_back(CommandRules::Refusal(frame, *why));
    } else {
        command.expectedReply = quillon::protocol::ReplyTo(
            *quillon::protocol::FindCommand(frame.code), frame.payload.data());
        command.addressAsked = frame.payload[0];
    }
    if (command.expectedReply == 0) {
        // One command of a SEQ that needs no answer is enough to name a reply it gets.
        std::erase_if(pending_, [&](const Command& waiting) {
            return waiting.seq == command.seq && waiting.expectedReply == 0;
        });
    }
    pending_.push_back(command);
    if (pending_.size() > kMaxPending) {
        pending_.pop_front();
    }
    return lines;
}

// The oldest waiting command of this SEQ that wants an answer; failing that, one that
// needs none, so the reply can be named as one too many.
std::optional<FrameEvents::Command> FrameEvents::TakeAnswered(uint8_t seq) {
    auto found = std::find_if(pending_.begin(), pending_.end(), [&](const Command& waiting) {
        return waiting.seq == seq && waiting.expectedReply != 0;
    });
    if (found == pending_.end()) {
        found = std::find_if(pending_.begin(), pending_.end(),
                             [&](const Command& waiting) { return waiting.seq == seq; });
    }
    if (found == pending_.end()) {
        return std::nullopt;
    }
    const Command command = *found;
    pending_.erase(found);
    return command;
}

FrameEvents::Result FrameEvents::FromBoard(const Frame& frame) {
    Result result;
    if (frame.seq == ProtocolCodec::kUnsolicitedSeq) {
        result.lines = Unsolicited(frame);
        return result;
    }
    const std::optional<Command> command = TakeAnswered(frame.seq);
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
        result.lines.push_back(CommandRules::AddressChange(
            command->addressBefore, command->addressAsked, frame.payload[0]));
        break;
    case ProtocolCodec::RepSaved:
        result.lines.push_back("address saved " + address);
        break;
    case ProtocolCodec::RepPacing:
        result.lines.push_back(PacingLine(frame));
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
