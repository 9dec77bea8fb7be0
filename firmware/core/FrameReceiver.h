#pragma once

#include "protocol/FrameFormat.h"

#include <stdint.h>

namespace quillon {
namespace firmware {

// Finds frames in the bytes the serial line brings, by the protocol's resynchronisation
// rules: garbage before a start byte is dropped; a start byte whose length cannot be, or
// whose frame fails its CRC, is dropped and the search goes on right behind it; and a
// partial frame left alone by the line for more than the idle time loses its start byte
// ("more than" because the clock counts whole milliseconds). The
// buffer holds one frame at most: it is checked as soon as its last byte arrives.
class FrameReceiver {
public:
    // Takes one byte that arrived at nowMs; false (byte not taken) while a frame waits to
    // be consumed.
    bool Push(uint8_t byte, uint16_t nowMs);

    // Applies the idle rule; call it when no byte is waiting. Each call that finds the
    // line idle gives up one start byte, so a frame found behind it gets handled first.
    void CheckIdle(uint16_t nowMs);

    bool FrameReady() const { return ready_; }
    bool HasPartial() const { return size_ > 0 && !ready_; }
    // No byte for longer than the idle time: a sender has finished what it wrote in one go.
    bool LineIdle(uint16_t nowMs) const {
        return static_cast<uint16_t>(nowMs - lastByteMs_) > protocol::LineFormat::kLineIdleMs;
    }
    // Whether CheckIdle would give up a start byte now.
    bool IdleExpired(uint16_t nowMs) const;

    // The ready frame's fields; valid until Consume().
    uint8_t Seq() const { return buffer_[protocol::FrameFormat::kSeqOffset]; }
    uint8_t Code() const { return buffer_[protocol::FrameFormat::kCodeOffset]; }
    uint8_t Length() const { return buffer_[protocol::FrameFormat::kLengthOffset]; }
    const uint8_t* Payload() const { return buffer_ + protocol::FrameFormat::kHeaderSize; }

    // Done with the ready frame; the bytes behind it are searched next.
    void Consume();

private:
    void DropFront(uint8_t count);
    void Scan();

    // Only the first size_ bytes count, each written before it is read; no initializer, so
    // the microcontroller needs no code to clear it at start.
    uint8_t buffer_[protocol::FrameFormat::kMaxFrame];
    uint8_t size_ = 0;
    bool ready_ = false;
    uint16_t lastByteMs_ = 0;
};

} // namespace firmware
} // namespace quillon
