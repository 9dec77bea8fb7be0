#include "HostReceiver.h"

#include "protocol/FrameFormat.h"

namespace quillon::simkit {

namespace {

constexpr auto kLineIdle = std::chrono::milliseconds(quillon::protocol::LineFormat::kLineIdleMs);

} // namespace

void HostReceiver::Feed(const uint8_t* data, std::size_t size, Clock::time_point now) {
    lastByte_ = now;
    codec_.Feed(data, size);
}

std::optional<std::string> HostReceiver::TakeGarbageLine() {
    const std::size_t discarded = codec_.Discarded();
    if (discarded <= garbageReported_) {
        return std::nullopt;
    }
    const std::size_t count = discarded - garbageReported_;
    garbageReported_ = discarded;
    return "error garbage: " + std::to_string(count) + (count == 1 ? " byte" : " bytes") +
           " dropped";
}

std::optional<HostReceiver::Clock::time_point> HostReceiver::IdleDeadline() const {
    if (!codec_.HasPartial()) {
        return std::nullopt;
    }
    return lastByte_ + kLineIdle;
}

bool HostReceiver::IdleExpired(Clock::time_point now) const {
    const std::optional<Clock::time_point> deadline = IdleDeadline();
    return deadline && now >= *deadline;
}

} // namespace quillon::simkit
