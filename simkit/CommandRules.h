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

    // The event line of a 'C' command: "address 40 -> 7E", or, when the adapter kept its
    // address because the one asked for is reserved, "address 40 kept (00 is reserved)".
    // `asked` is the payload byte as sent; `now` the address the reply carries.
    static std::string AddressChange(uint8_t before, uint8_t asked, uint8_t now);

    // "'Z' (0x5A)" for a printable code, "0x05" otherwise.
    static std::string CodeName(uint8_t code);
};

} // namespace quillon::simkit
