#include "LineRunner.h"

#include "HexText.h"
#include "InputWait.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace quillon::simkit {

namespace {

uint32_t GarbageSeed(const LineOptions& options) {
    if (options.seed) {
        return *options.seed;
    }
    std::random_device device;
    return device();
}

} // namespace

LineRunner::LineRunner(const ProgramOptions& options, SimDevice& device)
    : program_(options.Program()), options_(options.line), device_(device),
      log_(stdout, Clock::now()), line_(device.BytePeriod()), garbage_(GarbageSeed(options_)),
      input_(device.LongestCommandLine()) {}

void LineRunner::Fail(const std::string& problem) const {
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), problem.c_str());
}

bool LineRunner::Open() {
    std::optional<std::string> problem = device_.Load();
    if (!problem) {
        problem = pty_.Open();
    }
    if (!problem && !options_.link.empty()) {
        problem = pty_.MakeLink(options_.link);
    }
    if (problem) {
        Fail(*problem);
        return false;
    }
    // Power-on: time starts with the PTY line.
    const Clock::time_point start = Clock::now();
    log_ = EventLog(stdout, start);
    const std::optional<std::string> startProblem = device_.PowerOn(*this, start);
    log_.Plain("PTY " + pty_.DevicePath());
    if (startProblem) {
        Event("error " + *startProblem, device_.EventTime(Clock::now()));
    }
    if (device_.WatchesDtr()) {
        if (const auto dtrProblem = dtr_.Watch(pty_)) {
            Event("error DTR line not watched, openings of the port go unseen: " + *dtrProblem,
                  device_.EventTime(Clock::now()));
        }
    }
    return true;
}

int LineRunner::Run() {
    InputWait wait;
    if (!Open()) {
        return EXIT_FAILURE;
    }
    while (!done_) {
        device_.RunUntil(Clock::now());
        FlushLine(Clock::now());
        if (done_) {
            break;
        }
        std::optional<std::chrono::nanoseconds> timeout;
        const Clock::time_point before = Clock::now();
        if (const auto wake = NextWake(before)) {
            timeout = *wake - before;
        }
        InputWait::Ready ready;
        const InputWait::Result result =
            wait.Wait(pty_.MasterFd(), !unwritten_.empty(), input_.Fd(), dtr_.Fd(), timeout, ready);
        if (result == InputWait::Result::Stopped) {
            break;
        }
        if (result == InputWait::Result::Failed) {
            Fail(wait.Failure());
            Finish();
            return EXIT_FAILURE;
        }
        const Clock::time_point now = Clock::now();
        device_.Woke(now);
        // An opening comes before the bytes its client sends: they find what it caused.
        if (ready.dtrChanged) {
            ReadDtr(now);
        }
        if (ready.ptyReadable) {
            ReadPty(now);
        }
        if (!done_ && ready.stdinReady) {
            ReadStdin(now);
        }
        if (!done_) {
            CheckLineIdle(LineTime(Clock::now()));
        }
    }
    Finish();
    return EXIT_SUCCESS;
}

std::optional<LineRunner::Clock::time_point> LineRunner::NextWake(Clock::time_point now) const {
    std::optional<Clock::time_point> wake = line_.NextWake();
    // A deadline on a clock of the device's own is the device's to wake the loop for.
    const auto idleDeadline = device_.OwnClock() ? std::nullopt : rx_.IdleDeadline();
    for (const auto other : {idleDeadline, device_.NextWake(now)}) {
        if (other && (!wake || *other < *wake)) {
            wake = other;
        }
    }
    return wake;
}

void LineRunner::Event(const std::string& text, Clock::time_point when) {
    log_.Event(text, when);
}

void LineRunner::PortWritten(uint8_t port, Clock::time_point when) {
    if (!options_.camera) {
        return;
    }
    for (const std::string& line : camera_.ReadPort(port, when)) {
        log_.Event(line, when);
    }
}

void LineRunner::Send(std::vector<uint8_t> bytes, Clock::time_point due, Sending sending) {
    if (sending == Sending::Reply) {
        if (options_.noReply) {
            return;
        }
        // Noise the line picked up ahead of the reply, which the host must skip.
        std::vector<uint8_t> noise;
        noise.reserve(static_cast<std::size_t>(options_.garbage) + bytes.size());
        std::uniform_int_distribution<int> anyByte(0, 255);
        for (int i = 0; i < options_.garbage; ++i) {
            noise.push_back(static_cast<uint8_t>(anyByte(garbage_)));
        }
        bytes.insert(bytes.begin(), noise.begin(), noise.end());
        due += std::chrono::milliseconds(options_.lateReplyMs);
    }
    line_.Queue(std::move(bytes), due);
    FlushLine(Clock::now());
}

void LineRunner::FlushLine(Clock::time_point now) {
    if (!pty_.IsOpen()) {
        return;
    }
    const std::vector<uint8_t> due = line_.Take(now);
    unwritten_.insert(unwritten_.end(), due.begin(), due.end());
    pty_.WritePending(unwritten_);
}

void LineRunner::ReadDtr(Clock::time_point now) {
    for (int rises = dtr_.TakeRises(pty_); rises > 0; --rises) {
        device_.DtrRose(now);
    }
}

void LineRunner::ReadPty(Clock::time_point now) {
    uint8_t buffer[512];
    for (;;) {
        const ssize_t got = pty_.Read(buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        const auto size = static_cast<std::size_t>(got);
        if (!device_.HostBytes(buffer, size, now)) {
            continue;
        }
        Received(buffer, size, now, Burst::Ends);
        if (done_) {
            return;
        }
    }
}

LineRunner::Clock::time_point LineRunner::LineTime(Clock::time_point now) const {
    return device_.OwnClock().value_or(now);
}

void LineRunner::Received(const uint8_t* data, std::size_t size, Clock::time_point when,
                          Burst burst) {
    if (done_) {
        return;
    }
    // The line may have gone idle since the last look: a partial frame is given up before
    // these bytes could seem to continue it, as the device's own receiver does.
    CheckLineIdle(when);
    rx_.Feed(data, size, when);
    TakeFrames(when, burst);
}

void LineRunner::TakeFrames(Clock::time_point now, Burst burst) {
    SimDevice::Frame frame;
    while (!done_ && rx_.Next(frame)) {
        ReportDiscarded(now);
        ++framesReceived_;
        if (options_.hangupAfter > 0 && framesReceived_ >= options_.hangupAfter) {
            HangUp(now);
            return;
        }
        device_.HostFrame(frame, now);
    }
    if (!done_ && burst == Burst::Ends) {
        ReportDiscarded(now);
    }
}

void LineRunner::ReportDiscarded(Clock::time_point now) {
    if (const auto garbage = rx_.TakeGarbageLine()) {
        Event(*garbage, device_.EventTime(now));
    }
}

void LineRunner::CheckLineIdle(Clock::time_point now) {
    if (!rx_.IdleExpired(now)) {
        return;
    }
    // Everything buffered is equally stale: keep giving up on start bytes until what is
    // left is either gone or a complete frame.
    while (!done_ && rx_.HasPartial()) {
        rx_.LineIdle();
        TakeFrames(now);
    }
}

void LineRunner::ReadStdin(Clock::time_point now) {
    const auto overlong = input_.Read(
        [&](const std::string& line) { HandleCommandLine(line, now); }, [this] { return !done_; });
    if (overlong) {
        Event(*overlong, device_.EventTime(now));
    }
}

void LineRunner::HandleCommandLine(const std::string& line, Clock::time_point now) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command)) {
        return;
    }
    if (device_.HandleCommand(command, words, now) == SimDevice::Command::Handled) {
        return;
    }
    if (command == "write") {
        MasterWrite(words, now);
    } else if (command == "hangup") {
        HangUp(now);
    } else if (command == "quit") {
        done_ = true;
    } else {
        Event("error unknown command '" + command + "'", device_.EventTime(now));
    }
}

void LineRunner::MasterWrite(std::istream& words, Clock::time_point now) {
    std::vector<uint8_t> bytes;
    std::string word;
    while (words >> word) {
        const auto value = HexText::ParseByte(word);
        if (!value) {
            Event("error write: '" + word + "' is not a hex byte", device_.EventTime(now));
            return;
        }
        bytes.push_back(*value);
    }
    device_.MasterWrite(std::move(bytes), now);
}

void LineRunner::HangUp(Clock::time_point now) {
    Event("hangup", device_.EventTime(now));
    Finish();
}

void LineRunner::Finish() {
    line_.Clear();
    unwritten_.clear();
    pty_.Close();
    done_ = true;
}

} // namespace quillon::simkit
