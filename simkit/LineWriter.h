#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace quillon::simkit {

// The outgoing side of the serial line: frames wait until they are due (a late reply), then
// their bytes leave either at once or one per character time, as on a real cable. Pure: the
// caller supplies the time, so the loop never blocks on it.
class LineWriter {
public:
    using Clock = std::chrono::steady_clock;

    // A zero period writes every due byte at once.
    explicit LineWriter(Clock::duration bytePeriod = Clock::duration::zero());

    // Frames keep their order on the line by due time; equal due times stay in queue order.
    void Queue(std::vector<uint8_t> bytes, Clock::time_point due);

    // The bytes whose time has come, in line order. With pacing a byte counts as written
    // once its stop bit would have arrived, so k bytes take k character times.
    std::vector<uint8_t> Take(Clock::time_point now);

    // When Take() next has something to hand out; nothing when all is written.
    std::optional<Clock::time_point> NextWake() const;

    bool Idle() const { return frames_.empty() && bytes_.empty(); }
    void Clear();

private:
    struct Frame {
        Clock::time_point due;
        std::vector<uint8_t> bytes;
    };
    struct Byte {
        Clock::time_point ready;
        uint8_t value;
    };

    void StartDueFrames(Clock::time_point now);

    Clock::duration period_;
    std::deque<Frame> frames_;
    std::deque<Byte> bytes_;
    Clock::time_point lineFree_{};
};

} // namespace quillon::simkit
