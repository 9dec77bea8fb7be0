#pragma once

#include "protocol/ProtocolCodec.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quillon::simkit {

// The host's side of the line as both simulators take it in: bytes cut into frames, the
// protocol's 20 ms rule for a frame that stalls, and garbage counted for the log once.
class HostReceiver {
public:
    using Clock = std::chrono::steady_clock;

    // now: when the bytes reached the device, on the clock the idle rule runs on (the
    // device's own, where it keeps one), so the rule ends a frame when the device does.
    void Feed(const uint8_t* data, std::size_t size, Clock::time_point now);
    bool Next(quillon::protocol::ProtocolCodec::Frame& frame) { return codec_.Next(frame); }

    // The log line for bytes dropped since the last call, if any were.
    std::optional<std::string> TakeGarbageLine();

    // When a stalled partial frame is due to be given up, if one is buffered.
    std::optional<Clock::time_point> IdleDeadline() const;
    bool IdleExpired(Clock::time_point now) const;
    bool HasPartial() const { return codec_.HasPartial(); }
    // Gives up on the partial frame's start byte; the caller then takes what frames remain.
    void LineIdle() { codec_.LineIdle(); }

private:
    quillon::protocol::ProtocolCodec codec_;
    Clock::time_point lastByte_{};
    std::size_t garbageReported_ = 0;
};

} // namespace quillon::simkit
