#pragma once

#include "protocol/ProtocolCodec.h"

#include <optional>
#include <string>

namespace quillon::simkit {

// How the simulators name the command frames an adapter leaves unanswered (the rule itself
// is the protocol's CheckCommand) in their "error" lines. Shared, so that the adapter
// simulator and the board simulator describe a bad frame in the same words.
class CommandRules {
public:
    // Why the frame is not a command to answer; nothing for a well-formed command.
    static std::optional<std::string> Problem(const quillon::protocol::ProtocolCodec::Frame& frame);

    // "error <why>; frame 'Z' (0x5A) seq 7 not answered"
    static std::string Refusal(const quillon::protocol::ProtocolCodec::Frame& frame,
                               const std::string& why);

    // "'Z' (0x5A)" for a printable code, "0x05" otherwise.
    static std::string CodeName(uint8_t code);
};

} // namespace quillon::simkit
