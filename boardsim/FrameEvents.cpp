#include "FrameEvents.h"

#include "sim/AdapterModel.h"
#include "sim/CommandRules.h"
#include "simkit/HexText.h"

namespace quillon::boardsim {

using sim::CommandRules;
using simkit::HexText;
using quillon::link::ProtocolCodec;

namespace {

uint8_t ExpectedReply(const ProtocolCodec::Frame& command) {
    switch (command.code) {
    case ProtocolCodec::CmdVersion:
        return ProtocolCodec::RepVersion;
    case ProtocolCodec::CmdWrite:
        return uint8_t(ProtocolCodec::RepWrite + command.payload[0]);
    case ProtocolCodec::CmdReadAddress:
        return ProtocolCodec::RepAddress;
    case ProtocolCodec::CmdChangeAddress:
        return ProtocolCodec::RepChanged;
    case ProtocolCodec::CmdSaveAddress:
        return ProtocolCodec::RepSaved;
    default:
        return 0;
    }
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
        command.expectedReply = ExpectedReply(frame);
    }
    pending_[frame.seq] = command;
    return lines;
}

FrameEvents::Result FrameEvents::FromBoard(const Frame& frame) {
    Result result;
    if (frame.seq == 0) {
        if (frame.code != ProtocolCodec::MasterData) {
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
    const bool oneByte = frame.length == 1;
    const std::string address = oneByte ? HexText::Byte(frame.payload[0]) : std::string();
    switch (frame.code) {
    case ProtocolCodec::RepVersion:
        if (sim::AdapterModel::IsValidVersion(std::string(frame.begin(), frame.end()))) {
            result.lines.push_back("version sent");
            return result;
        }
        break;
    case ProtocolCodec::RepAddress:
        if (oneByte) {
            result.lines.push_back("address read " + address);
            return result;
        }
        break;
    case ProtocolCodec::RepChanged:
        if (oneByte) {
            result.lines.push_back("address " + HexText::Byte(command->addressBefore) + " -> " +
                                   address);
            return result;
        }
        break;
    case ProtocolCodec::RepSaved:
        if (oneByte) {
            result.lines.push_back("address saved " + address);
            return result;
        }
        break;
    default:
        // w, x, y: the pins tell what the write did.
        if (frame.length == 0) {
            result.portWritten = true;
            return result;
        }
        break;
    }
    result.lines.push_back("error firmware " + Describe(frame) + " has payload length " +
                           std::to_string(frame.length));
    return result;
}

} // namespace quillon::boardsim
