#include "BoardDevice.h"

#include "simkit/HexText.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace quillon::boardsim {

using quillon::protocol::ProtocolCodec;
using simkit::LineRunner;

namespace {

// The longest master write one stdin line may ask for, and the longest read; a line holds
// the longest write in hex.
constexpr std::size_t kMaxMasterWrite = 4096;
constexpr std::size_t kMaxCommandLine = 16384;
constexpr long kMaxMasterRead = 4096;
// Real time: how often the loop looks at the line and stdin between slices of simulation,
// and the most it simulates in one go when it has fallen behind the wall clock.
constexpr auto kRealTimeTick = std::chrono::milliseconds(1);
constexpr auto kLongestSlice = std::chrono::milliseconds(5);
// Real time, a quiet board: what it does then, it does without anyone seeing (it sends
// nothing unasked), so the loop need not wake as often; it catches the board up to the wall
// clock before it reads what woke it.
constexpr auto kQuietTick = std::chrono::milliseconds(10);
// The board counts as quiet once this much simulated time has passed without traffic, bus
// activity or pin changes; fast mode then stops the clock and waits for the host. Long
// enough for the firmware's own time-outs (its 20 ms idle rule) and an EEPROM write to play
// out.
constexpr double kQuietAfterUs = 100'000;
constexpr double kFastSliceUs = 1'000;

} // namespace

BoardDevice::BoardDevice(const BoardOptions& options) : options_(options) {}

BoardDevice::~BoardDevice() = default;

std::size_t BoardDevice::LongestCommandLine() const {
    return kMaxCommandLine;
}

std::optional<std::string> BoardDevice::Load() {
    if (auto problem = board_.Load(options_.firmware)) {
        return problem;
    }
    const auto report = [this](const std::string& line, SimavrBoard::Cycle when) {
        Event(line, when);
    };
    uart_ = std::make_unique<UartBridge>(
        board_, [this](uint8_t value, SimavrBoard::Cycle done) { OnBoardByte(value, done); },
        [this](uint8_t value, bool more) {
            OnHostByte(value, more ? LineRunner::Burst::GoesOn : LineRunner::Burst::Ends);
        });
    master_ = std::make_unique<TwiMaster>(board_, report, *TwiMaster::SpeedOf(options_.busKhz),
                                          options_.stretching);
    pins_ = std::make_unique<PinWatcher>(
        board_, report,
        options_.pulseWidths ? PinWatcher::Widths::Shown : PinWatcher::Widths::Hidden,
        options_.pinSkew ? PinWatcher::Skew::Shown : PinWatcher::Skew::Hidden);
    eeprom_ = std::make_unique<EepromState>(board_, options_.line.state, report);
    // Resets from outside name themselves; any other is the firmware's watchdog.
    board_.OnReset([this] {
        if (board_.ResetByFirmware()) {
            Event("board reset by its watchdog", board_.Now());
        }
    });
    if (options_.writeTimes) {
        const double cyclesPerUs = 1.0 / board_.Microseconds(SimavrBoard::Cycle{1});
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
    // The firmware forgets the commands it has not answered yet.
    board_.OnReset([this] { frames_.Reset(); });
    return std::nullopt;
}

std::optional<std::string> BoardDevice::PowerOn(LineRunner& line, Clock::time_point start) {
    line_ = &line;
    start_ = start;
    return eeprom_->Load();
}

BoardDevice::Clock::time_point BoardDevice::WallTime(SimavrBoard::Cycle cycle) const {
    const std::chrono::duration<double, std::micro> us(board_.Microseconds(cycle));
    return start_ + std::chrono::duration_cast<Clock::duration>(us);
}

SimavrBoard::Cycle BoardDevice::TargetCycle(Clock::time_point now) const {
    const SimavrBoard::Cycle at = board_.Now();
    if (options_.fast) {
        return Quiet() ? at : at + board_.CyclesFromMicroseconds(kFastSliceUs);
    }
    const std::chrono::duration<double, std::micro> longest = kLongestSlice;
    return std::min(WallCycle(now), at + board_.CyclesFromMicroseconds(longest.count()));
}

SimavrBoard::Cycle BoardDevice::WallCycle(Clock::time_point now) const {
    const std::chrono::duration<double, std::micro> elapsed = now - start_;
    return board_.CyclesFromMicroseconds(elapsed.count());
}

bool BoardDevice::Quiet() const {
    return !uart_->InputPending() && !master_->Busy() && !board_.InBootloader() &&
           board_.Now() >= lastActivity_ + board_.CyclesFromMicroseconds(kQuietAfterUs);
}

void BoardDevice::RunUntil(Clock::time_point now) {
    if (board_.Stopped()) {
        return;
    }
    RunBoard(TargetCycle(now));
}

void BoardDevice::RunBoard(SimavrBoard::Cycle until) {
    if (!board_.RunUntil(until) && !stopReported_) {
        stopReported_ = true;
        Event("error " + board_.StopReason() + "; the board has stopped (reset restarts it)",
              board_.Now());
    }
}

std::optional<BoardDevice::Clock::time_point> BoardDevice::NextWake(Clock::time_point now) const {
    if (board_.Stopped()) {
        return std::nullopt;
    }
    if (options_.fast) {
        // Busy: at once; idle: when the host has something to say.
        return TargetCycle(now) > board_.Now() ? std::optional(now) : std::nullopt;
    }
    // Simulated time follows the wall clock in ticks; a board that has fallen more than a
    // tick behind runs again at once.
    return WallTime(board_.Now()) + (Quiet() ? kQuietTick : kRealTimeTick);
}

void BoardDevice::Woke(Clock::time_point now) {
    // A quiet board may lag the wall clock by a tick; what woke the loop reaches it at the
    // right moment. It has nothing to do but sleep, so catching up is quick.
    if (!options_.fast && !board_.Stopped() && Quiet()) {
        RunBoard(WallCycle(now));
    }
}

std::optional<BoardDevice::Clock::time_point> BoardDevice::OwnClock() const {
    return WallTime(board_.Now());
}

BoardDevice::Clock::time_point BoardDevice::EventTime(Clock::time_point) {
    lastActivity_ = std::max(lastActivity_, board_.Now());
    return WallTime(board_.Now());
}

void BoardDevice::Event(const std::string& text, SimavrBoard::Cycle when) {
    lastActivity_ = std::max(lastActivity_, board_.Now());
    line_->Event(text, WallTime(when));
}

bool BoardDevice::HostBytes(const uint8_t* data, std::size_t size, Clock::time_point) {
    lastActivity_ = board_.Now();
    if (board_.InBootloader()) {
        return false; // the bootloader swallows them: they were no upload
    }
    uart_->Send(data, size);
    // The frame reader takes them as the firmware does, a character time apart: its idle
    // rule then ends a frame exactly when the firmware's does.
    return false;
}

void BoardDevice::OnHostByte(uint8_t value, LineRunner::Burst burst) {
    // Fast mode runs on past the last byte the firmware got, not the last one the host
    // wrote: a long write takes longer to cross the wire than the idle time.
    lastActivity_ = board_.Now();
    line_->Received(&value, 1, WallTime(board_.Now()), burst);
}

void BoardDevice::HostFrame(const Frame& frame, Clock::time_point) {
    for (const std::string& line : frames_.FromHost(frame, master_->SlaveAddress())) {
        Event(line, board_.Now());
    }
}

void BoardDevice::OnBoardByte(uint8_t value, SimavrBoard::Cycle done) {
    lastActivity_ = board_.Now();
    if (writeTimes_) {
        writeTimes_->ByteSent(done - uart_->ByteCycles(), done);
    }
    boardRaw_.push_back(value);
    boardRx_.Feed(&value, 1);
    Frame frame;
    while (boardRx_.Next(frame)) {
        HandleBoardFrame(frame, ProtocolCodec::kHeaderSize + frame.length + 1, done);
    }
}

void BoardDevice::HandleBoardFrame(const Frame& frame, std::size_t size, SimavrBoard::Cycle done) {
    // The board's bytes go to the host frame by frame, each complete at the time its last
    // stop bit left the board (at once in fast mode); anything before the frame that was no
    // frame goes along unchanged, so the host sees exactly what the firmware sent.
    const Clock::time_point due = options_.fast ? Clock::now() : WallTime(done);
    const std::size_t stray = boardRaw_.size() - size;
    if (stray > 0) {
        Event("error firmware sent " + std::to_string(stray) + " bytes outside a frame", done);
        line_->Send({boardRaw_.begin(), boardRaw_.begin() + std::ptrdiff_t(stray)}, due,
                    LineRunner::Sending::Unsolicited);
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
    if (result.portWritten) {
        line_->PortWritten(pins_->Image(), WallTime(done));
    }
    // Sequence 0 is the board's own master data; every other frame answers the host.
    const bool reply = frame.seq != 0;
    line_->Send(std::move(bytes), due,
                reply ? LineRunner::Sending::Reply : LineRunner::Sending::Unsolicited);
}

simkit::SimDevice::Command BoardDevice::HandleCommand(const std::string& command,
                                                      std::istream& words, Clock::time_point) {
    lastActivity_ = board_.Now();
    if (command == "read") {
        MasterRead(words);
    } else if (command == "write-read") {
        MasterWriteRead(words);
    } else if (command == "probe") {
        master_->Probe();
    } else if (command == "holds") {
        const std::vector<std::string> lines = master_->Holds().Lines();
        if (lines.empty()) {
            Event("clock hold: no status yet", board_.Now());
        }
        for (const std::string& line : lines) {
            Event(line, board_.Now());
        }
    } else if (command == "reset") {
        Reset();
    } else if (command == "stall") {
        Stall(words);
    } else if (command == "hang") {
        const auto problem = board_.Hang();
        Event(problem ? "error hang: " + *problem : "firmware hung", board_.Now());
    } else {
        return Command::NotMine;
    }
    return Command::Handled;
}

bool BoardDevice::WatchesDtr() const {
    return options_.autoReset;
}

void BoardDevice::DtrRose(Clock::time_point) {
    lastActivity_ = board_.Now();
    Reset();
}

void BoardDevice::Reset() {
    Event("board reset", board_.Now());
    stopReported_ = false;
    board_.Reset();
    if (options_.bootMs > 0) {
        const std::chrono::duration<double, std::micro> wait =
            std::chrono::milliseconds(options_.bootMs);
        board_.HoldInBootloader(board_.Now() + board_.CyclesFromMicroseconds(wait.count()));
    }
}

std::optional<std::size_t> BoardDevice::ReadCount(const std::string& word) {
    // Bytes in one read, in decimal; the expander answers each with its port.
    long count = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, count);
    if (ec != std::errc() || ptr != end || count < 1 || count > kMaxMasterRead) {
        Event("error read: '" + word + "' is not a count of 1.." + std::to_string(kMaxMasterRead),
              board_.Now());
        return std::nullopt;
    }
    return std::size_t(count);
}

void BoardDevice::MasterRead(std::istream& words) {
    std::string word;
    if (!(words >> word)) {
        master_->Read(1);
    } else if (const auto count = ReadCount(word)) {
        master_->Read(*count);
    }
}

void BoardDevice::MasterWriteRead(std::istream& words) {
    std::string word;
    words >> word;
    const auto count = ReadCount(word);
    if (!count) {
        return;
    }
    std::vector<uint8_t> bytes;
    while (words >> word) {
        const auto value = simkit::HexText::ParseByte(word);
        if (!value) {
            Event("error write-read: '" + word + "' is not a hex byte", board_.Now());
            return;
        }
        bytes.push_back(*value);
    }
    if (bytes.empty() || bytes.size() > kMaxMasterWrite) {
        Event("error write-read of " + std::to_string(bytes.size()) + " bytes, expected 1.." +
                  std::to_string(kMaxMasterWrite),
              board_.Now());
        return;
    }
    master_->WriteThenRead(std::move(bytes), *count);
}

void BoardDevice::Stall(std::istream& words) {
    // The bytes to write before stopping, in hex; none: a read.
    std::vector<uint8_t> bytes;
    std::string word;
    while (words >> word) {
        const auto byte = simkit::HexText::ParseByte(word);
        if (!byte) {
            Event("error stall: '" + word + "' is not a hex byte", board_.Now());
            return;
        }
        if (bytes.size() == kMaxMasterWrite) {
            Event("error stall: more than " + std::to_string(kMaxMasterWrite) + " bytes",
                  board_.Now());
            return;
        }
        bytes.push_back(*byte);
    }
    master_->Stall(std::move(bytes));
}

void BoardDevice::MasterWrite(std::vector<uint8_t> bytes, Clock::time_point) {
    if (bytes.empty() || bytes.size() > kMaxMasterWrite) {
        Event("error master write of " + std::to_string(bytes.size()) + " bytes, expected 1.." +
                  std::to_string(kMaxMasterWrite),
              board_.Now());
        return;
    }
    master_->Write(std::move(bytes));
}

} // namespace quillon::boardsim
