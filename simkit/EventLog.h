#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace quillon::simkit {

// Standard output as the tests read it: one line at a time, flushed at once, events
// stamped with the milliseconds since the simulator started.
class EventLog {
public:
    using Clock = std::chrono::steady_clock;

    EventLog(std::FILE* out, Clock::time_point start);

    void Plain(const std::string& text);
    void Event(const std::string& text, Clock::time_point when);

    // "[   1234.567] "
    static std::string Stamp(Clock::duration sinceStart);

private:
    std::FILE* out_;
    Clock::time_point start_;
};

} // namespace quillon::simkit
