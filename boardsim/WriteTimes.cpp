#include "WriteTimes.h"

#include "protocol/FrameFormat.h"

#include <algorithm>
#include <cstdio>

namespace quillon::boardsim {

using quillon::protocol::FrameFormat;

WriteTimes::WriteTimes(double cyclesPerMicrosecond, Report report)
    : cyclesPerUs_(cyclesPerMicrosecond), report_(std::move(report)) {}

void WriteTimes::ByteSent(Cycle start, Cycle done) {
    unframed_.push_back({start, done});
}

void WriteTimes::FrameSent(const quillon::protocol::ProtocolCodec::Frame& frame, std::size_t size) {
    const bool masterData =
        frame.seq == FrameFormat::kUnsolicitedSeq && frame.code == FrameFormat::MasterData;
    if (masterData) {
        const std::size_t own = std::min(size, unframed_.size());
        frames_.push_back({frame.length, {unframed_.end() - std::ptrdiff_t(own), unframed_.end()}});
    }
    unframed_.clear();
    Match();
}

void WriteTimes::WriteEnded(std::size_t bytes, Cycle start, Cycle stop) {
    writes_.push_back({bytes, start, stop});
    Match();
}

void WriteTimes::Forget() {
    unframed_.clear();
    frames_.clear();
    writes_.clear();
}

WriteTimes::Cycle WriteTimes::FirstStart(const FrameTimes& frame) {
    return frame.bytes.empty() ? 0 : frame.bytes.front().start;
}

void WriteTimes::Match() {
    while (!writes_.empty()) {
        const Write write = writes_.front();
        while (!frames_.empty() && FirstStart(frames_.front()) < write.start) {
            frames_.pop_front();
        }
        std::size_t payload = 0;
        std::size_t count = 0;
        while (count < frames_.size() && payload < write.bytes) {
            payload += frames_[count++].payload;
        }
        if (payload < write.bytes) {
            return; // its last frame is still to come
        }
        // Frames that do not end where the write ends, or whose last one started before
        // the write's data was whole, are not its own: better no line than a wrong one.
        if (payload == write.bytes && count > 0 && FirstStart(frames_[count - 1]) >= write.stop) {
            Describe(write, count);
        }
        frames_.erase(frames_.begin(), frames_.begin() + std::ptrdiff_t(count));
        writes_.pop_front();
    }
}

void WriteTimes::Describe(const Write& write, std::size_t frames) {
    std::string sizes;
    double afterStop = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const FrameTimes& frame = frames_[i];
        sizes += (i == 0 ? "" : "+") + std::to_string(frame.bytes.size());
        for (const Sent& byte : frame.bytes) {
            if (byte.start >= write.stop) {
                afterStop += 1;
            } else if (byte.done > write.stop) {
                afterStop += double(byte.done - write.stop) / double(byte.done - byte.start);
            }
        }
    }
    const Cycle first = FirstStart(frames_.front());
    const Cycle last =
        frames_[frames - 1].bytes.empty() ? write.stop : frames_[frames - 1].bytes.back().done;
    // A write of thousands of bytes lists dozens of frames: the text is sized, not cut.
    const char* format = "master write %zu bytes: STOP %.4f ms, i frames %s bytes from %.4f ms to "
                         "%.4f ms, %.2f bytes after the STOP";
    const auto print = [&](char* out, std::size_t room) {
        return std::snprintf(out, room, format, write.bytes, Milliseconds(write.stop),
                             sizes.c_str(), Milliseconds(first), Milliseconds(last), afterStop);
    };
    std::string text(std::size_t(print(nullptr, 0)) + 1, '\0');
    text.resize(std::size_t(print(text.data(), text.size())));
    report_(text, last);
}

double WriteTimes::Milliseconds(Cycle cycle) const {
    return double(cycle) / cyclesPerUs_ / 1000.0;
}

} // namespace quillon::boardsim
