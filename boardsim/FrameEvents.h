#pragma once

#include "protocol/ProtocolCodec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::boardsim {

// Reads the traffic on the serial line and names it in the adapter simulator's words: the
// board's replies become "version sent", "address read 40", "address 40 -> 7E" and
// "address saved 7E"; a command the adapter must not answer becomes the same "error" line
// the adapter simulator prints, and a reply the firmware should not have sent an error too.
// Pure: the caller feeds whole frames.
class FrameEvents {
public:
    using Frame = quillon::protocol::ProtocolCodec::Frame;

    struct Result {
        std::vector<std::string> lines;
        // A reply to a port write: the camera unit reads the port now.
        bool portWritten = false;
    };

    // A command from the host; `address` is the slave address the board uses right now.
    std::vector<std::string> FromHost(const Frame& frame, uint8_t address);
    Result FromBoard(const Frame& frame);

private:
    struct Command {
        uint8_t code = 0;
        uint8_t expectedReply = 0; // 0: must stay unanswered
        uint8_t addressBefore = 0;
        uint8_t addressAsked = 0; // the payload of a 'C'
    };

    std::array<std::optional<Command>, 256> pending_{};
};

} // namespace quillon::boardsim
