#pragma once

#include "protocol/ProtocolCodec.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace quillon::simkit {

class LineRunner;

// What sits at the far end of a simulator's line: the adapter model or the simulated board.
// The runner owns the line, the loop and the commands both share; it asks the device for
// the rest. Times are wall-clock times of the loop unless a hook says otherwise.
class SimDevice {
public:
    using Clock = std::chrono::steady_clock;
    using Frame = quillon::protocol::ProtocolCodec::Frame;

    enum class Command { Handled, NotMine };

    virtual ~SimDevice() = default;

    // The longest standard-input line the device's commands need.
    virtual std::size_t LongestCommandLine() const = 0;
    // How long one byte takes on the line going to the host; zero: no pacing.
    virtual Clock::duration BytePeriod() const { return Clock::duration::zero(); }

    // Before the line opens; a problem ends the program.
    virtual std::optional<std::string> Load() { return std::nullopt; }
    // The line is open and time starts at start. A problem returned is logged as an error
    // event and the device runs on.
    virtual std::optional<std::string> PowerOn(LineRunner& line, Clock::time_point start) = 0;

    // Before each wait: lets the device's own time catch up with the wall clock.
    virtual void RunUntil(Clock::time_point) {}
    // When the loop must wake up for the device next, if it must.
    virtual std::optional<Clock::time_point> NextWake(Clock::time_point now) const = 0;
    // After each wait, before anything that came is read.
    virtual void Woke(Clock::time_point) {}

    // Bytes from the host as they come; false keeps them from the frame reader, and the
    // device then hands them on with LineRunner::Received as its far end takes them.
    virtual bool HostBytes(const uint8_t* data, std::size_t size, Clock::time_point now) = 0;
    // A whole frame from the host.
    virtual void HostFrame(const Frame& frame, Clock::time_point now) = 0;

    // Every standard-input command, its first word taken, before the runner looks for its
    // own (write, hangup, quit); NotMine hands it on.
    virtual Command HandleCommand(const std::string& command, std::istream& words,
                                  Clock::time_point now) = 0;
    // "write XX ...": the bus master writes these bytes (any number, even none).
    virtual void MasterWrite(std::vector<uint8_t> bytes, Clock::time_point now) = 0;

    // Whether the device cares about the DTR line, which the line then watches.
    virtual bool WatchesDtr() const { return false; }
    // A client's opening of the port raised DTR.
    virtual void DtrRose(Clock::time_point) {}

    // When an event the line itself reports at now happened on the device's clock; a device
    // that only runs while something happens counts it as activity.
    virtual Clock::time_point EventTime(Clock::time_point now) { return now; }
    // The device's own clock, if it keeps one apart from the wall clock: the protocol's idle
    // rule for the host's frames then runs on it, as it does in the device. Such a device
    // keeps the loop awake in NextWake for as long as its clock runs.
    virtual std::optional<Clock::time_point> OwnClock() const { return std::nullopt; }
};

} // namespace quillon::simkit
