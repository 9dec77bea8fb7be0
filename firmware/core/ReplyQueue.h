#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// Replies owed to commands already carried out, in command order, kept compactly until the
// transmit queue has room for their frames: a version reply is 33 bytes on the line for a
// 5-byte command, so a pipeline of commands outruns the line, and holding the commands
// back instead would overflow the receive ring. A run is a stretch of consecutive SEQs
// whose replies share code and payload byte, so 200 back-to-back `V` (or `W`) take one run.
// Payloads longer than one byte (the version text) are rendered when the frame is queued.
class ReplyQueue {
public:
    // Runs owed at most; each takes four bytes of RAM.
    static constexpr uint8_t kRuns = 12;

    struct Run {
        uint8_t code;
        uint8_t value; // the reply's payload byte, for the replies that carry one
        uint8_t first; // SEQ of the next reply to send
        uint8_t last;  // SEQ of the run's last reply
    };

    bool Empty() const { return count_ == 0; }
    // No run free: a command whose reply would need a new one cannot be taken.
    bool Full() const { return count_ == kRuns; }

    // Owes one more reply; expects !Full().
    void Add(uint8_t seq, uint8_t code, uint8_t value);

    // The oldest run; its next reply answers SEQ `first`. Expects !Empty().
    const Run& Front() const { return runs_[head_]; }
    // That reply has been queued for the line.
    void PopFront();

    // The SEQ a library gives the command after this one (1..255, 0 is never used).
    static uint8_t NextSeq(uint8_t seq);

private:
    static uint8_t Next(uint8_t index) {
        return index == kRuns - 1 ? 0 : static_cast<uint8_t>(index + 1);
    }

    // Only the count_ runs from head_ on count, each written before it is read; no
    // initializer, so the microcontroller needs no code to clear them at start.
    Run runs_[kRuns];
    // The oldest run and the newest; the same run while one or none is owed.
    uint8_t head_ = 0;
    uint8_t back_ = 0;
    uint8_t count_ = 0;
};

} // namespace firmware
} // namespace quillon
