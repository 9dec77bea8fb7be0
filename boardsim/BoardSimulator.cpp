#include "BoardSimulator.h"

#include "sim/HexText.h"
#include "sim/InputWait.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace quillon::boardsim {

using sim::HexText;
using quillon::protocol::ProtocolCodec;

namespace {

constexpr std::size_t kMaxCommandLine = 16384;
// The longest master write one stdin line may ask for.
constexpr std::size_t kMaxMasterWrite = 4096;
constexpr long kMaxMasterRead = 4096;
// Real time: how often the loop looks at the line and stdin between slices of simulation,
// and the most it simulates in one go when it has fallen behind the wall clock.
constexpr auto kRealTimeTick = std::chrono::milliseconds(1);
constexpr auto kLongestSlice = std::chrono::milliseconds(5);
// Fast mode: the board runs unthrottled until this much simulated time has passed without
// traffic, bus activity or pin changes; then it waits for the host. Long enough for the
// firmware's own time-outs (its 20 ms idle rule) and an EEPROM write to play out.
constexpr double kFastIdleUs = 100'000;
constexpr double kFastSliceUs = 1'000;

uint32_t GarbageSeed(const sim::SimOptions& options) {
    if (options.seed) {
        return *options.seed;
    }
    std::random_device device;
    return device();
}

} // namespace

BoardSimulator::BoardSimulator(BoardOptions options)
    : options_(std::move(options)), log_(stdout, Clock::now()),
      garbage_(GarbageSeed(options_.line)), input_(kMaxCommandLine) {}

BoardSimulator::~BoardSimulator() = default;

bool BoardSimulator::SetUp(std::string& error) {
    if (!board_.Load(options_.firmware, error)) {
        return false;
    }
    const auto report = [this](const std::string& line, AvrBoard::Cycle when) {
        Event(line, when);
    };
    uart_ = std::make_unique<UartBridge>(
        board_, [this](uint8_t value, AvrBoard::Cycle done) { OnBoardByte(value, done); });
    master_ = std::make_unique<TwiMaster>(board_, report);
    pins_ = std::make_unique<PinWatcher>(board_, report,
                                         options_.pulseWidths ? PinWatcher::Widths::Shown
                                                              : PinWatcher::Widths::Hidden);
    eeprom_ = std::make_unique<EepromState>(board_, options_.line.state, report);
    if (options_.writeTimes) {
        const double cyclesPerUs = 1.0 / board_.Microseconds(AvrBoard::Cycle{1});
        writeTimes_ = std::make_unique<WriteTimes>(cyclesPerUs, report);
        master_->OnWriteEnded([this](const TwiMaster::WriteEnd& end) {
            if (end.stop) {
                writeTimes_->WriteEnded(end.bytes, end.start, *end.stop);
            } else {
                writeTimes_->Forget();
            }
        });
        // A reset empties the firmware's transmit queue: frames on their way are lost.
        board_.OnReset([this] { writeTimes_->Forget(); });
    }
    return true;
}

int BoardSimulator::Run() {
    sim::InputWait wait;
    std::string error;
    if (!SetUp(error) || !pty_.Open(error) ||
        (!options_.line.link.empty() && !pty_.MakeLink(options_.line.link, error))) {
        std::fprintf(stderr, "quillon-board-sim: %s\n", error.c_str());
        return 1;
    }
    const std::string stateError = eeprom_->Load();
    // Power-on: simulated time starts with the PTY line.
    start_ = Clock::now();
    log_ = sim::EventLog(stdout, start_);
    log_.Plain("PTY " + pty_.DevicePath());
    if (!stateError.empty()) {
        Event("error " + stateError, 0);
    }

    while (!done_) {
        Advance();
        FlushLine(Clock::now());
        if (done_) {
            break;
        }
        sim::InputWait::Ready ready;
        const sim::InputWait::Result result = wait.Wait(
            pty_.MasterFd(), !unwritten_.empty(), input_.Fd(), PollTimeout(Clock::now()), ready);
        if (result == sim::InputWait::Result::Stopped) {
            break;
        }
        if (result == sim::InputWait::Result::Failed) {
            std::fprintf(stderr, "quillon-board-sim: %s\n", wait.Failure().c_str());
            Finish();
            return 1;
        }
        const Clock::time_point now = Clock::now();
        if (ready.ptyReadable) {
            ReadPty(now);
        }
        if (!done_ && ready.stdinReady) {
            ReadStdin(now);
        }
        if (!done_) {
            CheckLineIdle(Clock::now());
        }
    }
    Finish();
    return 0;
}

BoardSimulator::Clock::time_point BoardSimulator::WallTime(AvrBoard::Cycle cycle) const {
    const std::chrono::duration<double, std::micro> us(board_.Microseconds(cycle));
    return start_ + std::chrono::duration_cast<Clock::duration>(us);
}

AvrBoard::Cycle BoardSimulator::TargetCycle(Clock::time_point now) const {
    const AvrBoard::Cycle at = board_.Now();
    if (options_.fast) {
        const bool busy = uart_->InputPending() || master_->Busy() ||
                          at < lastActivity_ + board_.CyclesFromMicroseconds(kFastIdleUs);
        return busy ? at + board_.CyclesFromMicroseconds(kFastSliceUs) : at;
    }
    const std::chrono::duration<double, std::micro> elapsed = now - start_;
    const AvrBoard::Cycle wall = board_.CyclesFromMicroseconds(elapsed.count());
    const std::chrono::duration<double, std::micro> longest = kLongestSlice;
    return std::min(wall, at + board_.CyclesFromMicroseconds(longest.count()));
}

void BoardSimulator::Advance() {
    if (board_.Stopped()) {
        return;
    }
    if (!board_.RunUntil(TargetCycle(Clock::now())) && !stopReported_) {
        stopReported_ = true;
        Event("error " + board_.StopReason() + "; the board has stopped (reset restarts it)",
              board_.Now());
    }
}

std::optional<BoardSimulator::Clock::duration>
BoardSimulator::PollTimeout(Clock::time_point now) const {
    std::optional<Clock::time_point> wake = line_.NextWake();
    if (const auto idle = hostRx_.IdleDeadline(); idle && (!wake || *idle < *wake)) {
        wake = idle;
    }
    if (!board_.Stopped()) {
        if (options_.fast) {
            if (TargetCycle(now) > board_.Now()) {
                return Clock::duration::zero();
            }
        } else {
            // Simulated time follows the wall clock in ticks; a board that has fallen more
            // than a tick behind runs again at once.
            const Clock::time_point due = WallTime(board_.Now()) + kRealTimeTick;
            if (!wake || due < *wake) {
                wake = due;
            }
        }
    }
    if (!wake) {
        return std::nullopt;
    }
    return std::max(Clock::duration::zero(), *wake - now);
}

void BoardSimulator::Event(const std::string& text, AvrBoard::Cycle when) {
    lastActivity_ = std::max(lastActivity_, board_.Now());
    log_.Event(text, WallTime(when));
}

void BoardSimulator::ReadPty(Clock::time_point now) {
    uint8_t buffer[512];
    for (;;) {
        const ssize_t got = pty_.Read(buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        lastActivity_ = board_.Now();
        hostRx_.Feed(buffer, static_cast<std::size_t>(got), now);
        TakeHostFrames();
        if (done_) {
            return;
        }
        uart_->Send(buffer, static_cast<std::size_t>(got));
    }
}

void BoardSimulator::TakeHostFrames() {
    ProtocolCodec::Frame frame;
    while (!done_ && hostRx_.Next(frame)) {
        ReportDiscarded();
        ++framesReceived_;
        if (options_.line.hangupAfter > 0 && framesReceived_ >= options_.line.hangupAfter) {
            HangUp();
            return;
        }
        for (const std::string& line : frames_.FromHost(frame, master_->SlaveAddress())) {
            Event(line, board_.Now());
        }
    }
    if (!done_) {
        ReportDiscarded();
    }
}

void BoardSimulator::ReportDiscarded() {
    if (const auto garbage = hostRx_.TakeGarbageLine()) {
        Event(*garbage, board_.Now());
    }
}

void BoardSimulator::CheckLineIdle(Clock::time_point now) {
    if (!hostRx_.IdleExpired(now)) {
        return;
    }
    while (!done_ && hostRx_.HasPartial()) {
        hostRx_.LineIdle();
        TakeHostFrames();
    }
}

void BoardSimulator::OnBoardByte(uint8_t value, AvrBoard::Cycle done) {
    lastActivity_ = board_.Now();
    if (writeTimes_) {
        writeTimes_->ByteSent(done - uart_->ByteCycles(), done);
    }
    boardRaw_.push_back(value);
    boardRx_.Feed(&value, 1);
    ProtocolCodec::Frame frame;
    while (boardRx_.Next(frame)) {
        HandleBoardFrame(frame, ProtocolCodec::kHeaderSize + frame.length + 1, done);
    }
}

void BoardSimulator::HandleBoardFrame(const ProtocolCodec::Frame& frame, std::size_t size,
                                      AvrBoard::Cycle done) {
    // The board's bytes go to the host frame by frame, each complete at the time its last
    // stop bit left the board (at once in fast mode); anything before the frame that was no
    // frame goes along unchanged, so the host sees exactly what the firmware sent.
    const Clock::time_point due = options_.fast ? Clock::now() : WallTime(done);
    const std::size_t stray = boardRaw_.size() - size;
    if (stray > 0) {
        Event("error firmware sent " + std::to_string(stray) + " bytes outside a frame", done);
        line_.Queue({boardRaw_.begin(), boardRaw_.begin() + std::ptrdiff_t(stray)}, due);
    }
    std::vector<uint8_t> bytes(boardRaw_.end() - std::ptrdiff_t(size), boardRaw_.end());
    boardRaw_.clear();
    if (writeTimes_) {
        writeTimes_->FrameSent(frame, size);
    }

    const FrameEvents::Result result = frames_.FromBoard(frame);
    for (const std::string& line : result.lines) {
        Event(line, done);
    }
    if (result.portWritten && options_.line.camera) {
        for (const std::string& line : camera_.ReadPort(pins_->Image(), WallTime(done))) {
            Event(line, done);
        }
    }
    const bool reply = frame.seq != 0;
    if (reply && options_.line.noReply) {
        return;
    }
    if (reply && options_.line.garbage > 0) {
        std::vector<uint8_t> noise;
        std::uniform_int_distribution<int> anyByte(0, 255);
        for (int i = 0; i < options_.line.garbage; ++i) {
            noise.push_back(static_cast<uint8_t>(anyByte(garbage_)));
        }
        bytes.insert(bytes.begin(), noise.begin(), noise.end());
    }
    const auto late =
        reply ? std::chrono::milliseconds(options_.line.lateReplyMs) : std::chrono::milliseconds(0);
    line_.Queue(std::move(bytes), due + late);
}

void BoardSimulator::FlushLine(Clock::time_point now) {
    if (!pty_.IsOpen()) {
        return;
    }
    const std::vector<uint8_t> due = line_.Take(now);
    unwritten_.insert(unwritten_.end(), due.begin(), due.end());
    pty_.WritePending(unwritten_);
}

void BoardSimulator::ReadStdin(Clock::time_point) {
    const auto overlong = input_.Read([this](const std::string& line) { HandleCommandLine(line); },
                                      [this] { return !done_; });
    if (overlong) {
        Event(*overlong, board_.Now());
    }
}

void BoardSimulator::HandleCommandLine(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command)) {
        return;
    }
    const AvrBoard::Cycle now = board_.Now();
    lastActivity_ = now;
    if (command == "read") {
        // Bytes in one read transaction, in decimal; the expander answers each with its port.
        long count = 1;
        std::string word;
        if (words >> word) {
            const char* end = word.data() + word.size();
            const auto [ptr, ec] = std::from_chars(word.data(), end, count);
            if (ec != std::errc() || ptr != end || count < 1 || count > kMaxMasterRead) {
                Event("error read: '" + word + "' is not a count of 1.." +
                          std::to_string(kMaxMasterRead),
                      now);
                return;
            }
        }
        master_->Read(std::size_t(count));
    } else if (command == "write") {
        std::vector<uint8_t> bytes;
        std::string word;
        while (words >> word) {
            const auto value = HexText::ParseByte(word);
            if (!value) {
                Event("error write: '" + word + "' is not a hex byte", now);
                return;
            }
            bytes.push_back(*value);
        }
        if (bytes.empty() || bytes.size() > kMaxMasterWrite) {
            Event("error master write of " + std::to_string(bytes.size()) + " bytes, expected 1.." +
                      std::to_string(kMaxMasterWrite),
                  now);
            return;
        }
        master_->Write(std::move(bytes));
    } else if (command == "reset") {
        Event("board reset", now);
        stopReported_ = false;
        board_.Reset();
    } else if (command == "hangup") {
        HangUp();
    } else if (command == "quit") {
        done_ = true;
    } else {
        Event("error unknown command '" + command + "'", now);
    }
}

void BoardSimulator::HangUp() {
    Event("hangup", board_.Now());
    Finish();
}

void BoardSimulator::Finish() {
    line_.Clear();
    unwritten_.clear();
    pty_.Close();
    done_ = true;
}

} // namespace quillon::boardsim
