#include "CommandRules.h"

#include "HexText.h"
#include "protocol/CommandTable.h"

namespace quillon::simkit {

using quillon::protocol::ProtocolCodec;

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

std::string CommandRules::AddressChange(uint8_t before, uint8_t asked, uint8_t now) {
    const uint8_t wanted = protocol::SlaveAddress::WithoutReadWriteBit(asked);
    if (now != wanted && protocol::SlaveAddress::IsReserved(wanted)) {
        return "address " + HexText::Byte(now) + " kept (" + HexText::Byte(wanted) +
               " is reserved)";
    }
    return "address " + HexText::Byte(before) + " -> " + HexText::Byte(now);
}

std::optional<std::string> CommandRules::Problem(const ProtocolCodec::Frame& frame) {
    using protocol::CommandFault;
    switch (protocol::CheckCommand(frame.seq, frame.code, frame.payload.data(), frame.length)) {
    case CommandFault::None:
        return std::nullopt;
    case CommandFault::UnsolicitedSeq:
        return "command with SEQ " + std::to_string(frame.seq);
    case CommandFault::UnknownCode:
        return "unknown code";
    case CommandFault::PayloadSize: {
        const protocol::CommandRule& rule = *protocol::FindCommand(frame.code);
        if (rule.lead == protocol::PayloadLead::InterruptType) {
            return "write payload length " + std::to_string(frame.length) + ", expected " +
                   std::to_string(rule.minPayload) + ".." + std::to_string(rule.maxPayload);
        }
        return "payload length " + std::to_string(frame.length) + ", expected " +
               std::to_string(rule.minPayload);
    }
    case CommandFault::InterruptType:
        return "write with interrupt type " + std::to_string(frame.payload[0]);
    case CommandFault::PacingValue:
        return "pacing value " + std::to_string(frame.payload[0]);
    }
    return "unknown code";
}

} // namespace quillon::simkit
