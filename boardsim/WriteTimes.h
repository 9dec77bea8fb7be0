#pragma once

#include "protocol/ProtocolCodec.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quillon::boardsim {

// How long the firmware takes to pass a master write on to the host, in simulated time:
// for every write the board took whole, one line with the moment of its STOP and the
// moments the first and the last byte of the `i` frames it caused left the UART, e.g.
//
//   master write 200 bytes: STOP 5120.2903 ms, i frames 132+78 bytes from 5008.1234 ms
//   to 5332.1234 ms, 203.41 bytes after the STOP
//
// "Bytes after the STOP" is the part of those frames still to cross the wire when the STOP
// came, a byte on the wire at that moment counted by the part of it still to go: a write
// longer than one frame has its first frame under way before its STOP. Frames follow the
// writes in order, one write's bytes in one frame or in frames of 127 and a last shorter
// one, so they are matched to writes by counting their data bytes. A write's frames start
// after its START, and its last one after its STOP (only then is its data whole); frames
// that break these rules are left over from a write that failed, and get no line, nor
// does the write they were found with. Pure: the caller feeds every byte the UART sent,
// every frame those bytes made, and every write's end.
class WriteTimes {
public:
    using Cycle = uint64_t;
    using Report = std::function<void(const std::string& line, Cycle when)>;

    WriteTimes(double cyclesPerMicrosecond, Report report);

    // A byte left the UART: its start bit began at `start`, its stop bit ended at `done`.
    void ByteSent(Cycle start, Cycle done);
    // The last `size` bytes sent made this frame; anything before them was no frame.
    void FrameSent(const quillon::protocol::ProtocolCodec::Frame& frame, std::size_t size);
    // A write the board took whole: START at `start`, `bytes` data bytes, STOP at `stop`.
    void WriteEnded(std::size_t bytes, Cycle start, Cycle stop);
    // A write failed or the board was reset: the writes so far may never see their frames,
    // so they get no line.
    void Forget();

private:
    struct Sent {
        Cycle start = 0;
        Cycle done = 0;
    };
    struct FrameTimes {
        std::size_t payload = 0;
        std::vector<Sent> bytes;
    };
    struct Write {
        std::size_t bytes = 0;
        Cycle start = 0;
        Cycle stop = 0;
    };

    void Match();
    static Cycle FirstStart(const FrameTimes& frame);
    void Describe(const Write& write, std::size_t frames);
    double Milliseconds(Cycle cycle) const;

    double cyclesPerUs_;
    Report report_;
    std::vector<Sent> unframed_; // bytes since the last whole frame
    std::deque<FrameTimes> frames_;
    std::deque<Write> writes_;
};

} // namespace quillon::boardsim
