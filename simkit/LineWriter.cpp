#include "LineWriter.h"

#include <algorithm>
#include <utility>

namespace quillon::simkit {

LineWriter::LineWriter(Clock::duration bytePeriod) : period_(bytePeriod) {}

void LineWriter::Queue(std::vector<uint8_t> bytes, Clock::time_point due) {
    if (bytes.empty()) {
        return;
    }
    const auto after =
        std::upper_bound(frames_.begin(), frames_.end(), due,
                         [](Clock::time_point t, const Frame& f) { return t < f.due; });
    frames_.insert(after, Frame{due, std::move(bytes)});
}

void LineWriter::StartDueFrames(Clock::time_point now) {
    while (!frames_.empty() && frames_.front().due <= now) {
        const Frame& frame = frames_.front();
        // Time runs from when the frame was due, not from when the loop got round to it, so
        // a late wake-up does not stretch the line timing.
        Clock::time_point start = std::max(lineFree_, frame.due);
        for (const uint8_t value : frame.bytes) {
            start += period_;
            bytes_.push_back(Byte{start, value});
        }
        lineFree_ = start;
        frames_.pop_front();
    }
}

std::vector<uint8_t> LineWriter::Take(Clock::time_point now) {
    StartDueFrames(now);
    std::vector<uint8_t> out;
    while (!bytes_.empty() && bytes_.front().ready <= now) {
        out.push_back(bytes_.front().value);
        bytes_.pop_front();
    }
    return out;
}

std::optional<LineWriter::Clock::time_point> LineWriter::NextWake() const {
    std::optional<Clock::time_point> wake;
    if (!bytes_.empty()) {
        wake = bytes_.front().ready;
    }
    if (!frames_.empty() && (!wake || frames_.front().due < *wake)) {
        wake = frames_.front().due;
    }
    return wake;
}

void LineWriter::Clear() {
    frames_.clear();
    bytes_.clear();
}

} // namespace quillon::simkit
