#include "CommandRules.h"

#include "simkit/HexText.h"

namespace quillon::sim {

using quillon::link::ProtocolCodec;
using simkit::HexText;

namespace {

constexpr uint8_t kMaxInterruptType = 2;

std::optional<std::string> CheckLength(const ProtocolCodec::Frame& frame, std::size_t expected) {
    if (frame.length == expected) {
        return std::nullopt;
    }
    return "payload length " + std::to_string(frame.length) + ", expected " +
           std::to_string(expected);
}

} // namespace

std::string CommandRules::CodeName(uint8_t code) {
    if (code >= 0x21 && code <= 0x7E) {
        return std::string("'") + static_cast<char>(code) + "' (0x" + HexText::Byte(code) + ")";
    }
    return "0x" + HexText::Byte(code);
}

std::string CommandRules::Refusal(const ProtocolCodec::Frame& frame, const std::string& why) {
    return "error " + why + "; frame " + CodeName(frame.code) + " seq " +
           std::to_string(frame.seq) + " not answered";
}

std::optional<std::string> CommandRules::Problem(const ProtocolCodec::Frame& frame) {
    if (frame.seq == 0) {
        // SEQ 0 marks unsolicited frames; a command carrying it cannot be matched to a reply.
        return "command with SEQ 0";
    }
    switch (frame.code) {
    case ProtocolCodec::CmdVersion:
    case ProtocolCodec::CmdReadAddress:
    case ProtocolCodec::CmdSaveAddress:
        return CheckLength(frame, 0);
    case ProtocolCodec::CmdChangeAddress:
        return CheckLength(frame, 1);
    case ProtocolCodec::CmdWrite:
        if (frame.length < 2 || frame.length > 1 + kMaxWriteData) {
            return "write payload length " + std::to_string(frame.length) + ", expected 2.." +
                   std::to_string(1 + kMaxWriteData);
        }
        if (frame.payload[0] > kMaxInterruptType) {
            return "write with interrupt type " + std::to_string(frame.payload[0]);
        }
        return std::nullopt;
    default:
        return "unknown code";
    }
}

} // namespace quillon::sim
