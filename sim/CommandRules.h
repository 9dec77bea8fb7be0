#pragma once

#include "vantrel32/ProtocolCodec.h"

#include <optional>
#include <string>

namespace quillon::sim {

// Which command frames an adapter must leave unanswered (docs/protocol.md), and how the
// simulators name them in their "error" lines. Shared, so that the adapter simulator and
// the board simulator describe a bad frame in the same words.
class CommandRules {
public:
    static constexpr std::size_t kMaxWriteData = 16;

    // Why the frame is not a command to answer; nothing for a well-formed command.
    static std::optional<std::string> Problem(const quillon::link::ProtocolCodec::Frame& frame);

    // "error <why>; frame 'Z' (0x5A) seq 7 not answered"
    static std::string Refusal(const quillon::link::ProtocolCodec::Frame& frame, const std::string& why);

    // "'Z' (0x5A)" for a printable code, "0x05" otherwise.
    static std::string CodeName(uint8_t code);
};

} // namespace quillon::sim
