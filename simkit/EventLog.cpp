#include "EventLog.h"

namespace quillon::simkit {

EventLog::EventLog(std::FILE* out, Clock::time_point start) : out_(out), start_(start) {}

std::string EventLog::Stamp(Clock::duration sinceStart) {
    const std::chrono::duration<double, std::milli> ms = sinceStart;
    char text[32];
    std::snprintf(text, sizeof text, "[%11.3f] ", ms.count());
    return text;
}

void EventLog::Plain(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void EventLog::Event(const std::string& text, Clock::time_point when) {
    Plain(Stamp(when - start_) + text);
}

} // namespace quillon::simkit
