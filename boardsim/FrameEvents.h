#pragma once

#include "protocol/ProtocolCodec.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quillon::boardsim {

// Reads the traffic on the serial line and names it in the adapter simulator's words: the
// board's replies become "version sent", "address read 40", "address 40 -> 7E",
// "address saved 7E", "pacing hold" or "pacing release" and "counters sent", its
// not-forwarded report "writes not forwarded 3"; a command the adapter must not answer
// becomes the same "error" line the adapter simulator prints, and a reply the firmware
// should not have sent an error too.
// Pure: the caller feeds whole frames, each command as the firmware gets it.
//
// Replies are matched to commands by SEQ, the oldest waiting command of that SEQ first, as
// the firmware carries commands out in the order they come: a host may have two commands
// of the same SEQ on the line at once.
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
    // The board was reset: no command waits for its reply any more.
    void Reset() { pending_.clear(); }

private:
    struct Command {
        uint8_t seq = 0;
        uint8_t code = 0;
        uint8_t expectedReply = 0; // 0: must stay unanswered
        uint8_t addressBefore = 0;
        uint8_t addressAsked = 0; // the payload of a 'C'
    };

    std::optional<Command> TakeAnswered(uint8_t seq);

    // Oldest first. A firmware that leaves commands unanswered must not make this grow
    // without end, so the oldest are forgotten beyond a bound.
    std::deque<Command> pending_;
};

} // namespace quillon::boardsim
