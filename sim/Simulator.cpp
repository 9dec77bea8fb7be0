#include "Simulator.h"

#include "HexText.h"
#include "InputWait.h"
#include "StateFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace quillon::sim {

using quillon::protocol::ProtocolCodec;

namespace {

constexpr std::size_t kMaxCommandLine = 4096;

uint8_t LoadAddress(const SimOptions& options, std::string& error) {
    if (options.state.empty()) {
        return AdapterModel::kDefaultAddress;
    }
    const StateFile::LoadResult loaded = StateFile(options.state).Load();
    switch (loaded.status) {
    case StateFile::LoadStatus::Loaded:
        return loaded.address;
    case StateFile::LoadStatus::Malformed:
        error = loaded.error + "; using address " + HexText::Byte(AdapterModel::kDefaultAddress);
        break;
    case StateFile::LoadStatus::Missing:
        break;
    }
    return AdapterModel::kDefaultAddress;
}

AdapterModel::SaveAddress MakeSaver(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    return [file = StateFile(path)](uint8_t address, std::string& error) {
        return file.Save(address, error);
    };
}

Simulator::Clock::duration BytePeriod(const SimOptions& options) {
    if (!options.pace) {
        return Simulator::Clock::duration::zero();
    }
    // 8N1: start bit, 8 data bits, stop bit.
    const std::chrono::duration<double> period(10.0 / options.baud);
    return std::chrono::duration_cast<Simulator::Clock::duration>(period);
}

uint32_t GarbageSeed(const SimOptions& options) {
    if (options.seed) {
        return *options.seed;
    }
    std::random_device device;
    return device();
}

} // namespace

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)), start_(Clock::now()), log_(stdout, start_),
      model_(options_.version, LoadAddress(options_, startupError_), MakeSaver(options_.state)),
      line_(BytePeriod(options_)), garbage_(GarbageSeed(options_)), input_(kMaxCommandLine),
      booted_(options_.bootMs == 0) {}

int Simulator::Run() {
    InputWait wait;
    std::string error;
    if (!pty_.Open(error) || (!options_.link.empty() && !pty_.MakeLink(options_.link, error))) {
        std::fprintf(stderr, "quillon-adapter-sim: %s\n", error.c_str());
        return 1;
    }
    log_.Plain("PTY " + pty_.DevicePath());
    if (!startupError_.empty()) {
        log_.Event("error " + startupError_, Clock::now());
    }

    while (!done_) {
        FlushLine(Clock::now());
        std::optional<std::chrono::nanoseconds> timeout;
        if (const auto wake = NextWake()) {
            timeout = *wake - Clock::now();
        }
        InputWait::Ready ready;
        const InputWait::Result result =
            wait.Wait(pty_.MasterFd(), !unwritten_.empty(), input_.Fd(), timeout, ready);
        if (result == InputWait::Result::Stopped) {
            break;
        }
        if (result == InputWait::Result::Failed) {
            std::fprintf(stderr, "quillon-adapter-sim: %s\n", wait.Failure().c_str());
            Finish();
            return 1;
        }
        const Clock::time_point now = Clock::now();
        CheckBoot(now);
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

std::optional<Simulator::Clock::time_point> Simulator::NextWake() const {
    std::optional<Clock::time_point> wake = line_.NextWake();
    if (!booted_ && bootEnd_ && (!wake || *bootEnd_ < *wake)) {
        wake = bootEnd_;
    }
    if (const auto idle = rx_.IdleDeadline(); idle && (!wake || *idle < *wake)) {
        wake = idle;
    }
    return wake;
}

void Simulator::ReadPty(Clock::time_point now) {
    uint8_t buffer[512];
    for (;;) {
        const ssize_t got = pty_.Read(buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        if (!booted_) {
            // The board reset as its port was opened, which the first byte stands for.
            if (!bootEnd_) {
                bootEnd_ = now + std::chrono::milliseconds(options_.bootMs);
            }
            bootIgnored_ += static_cast<std::size_t>(got);
            continue;
        }
        rx_.Feed(buffer, static_cast<std::size_t>(got), now);
        TakeFrames(now);
        if (done_) {
            return;
        }
    }
}

void Simulator::CheckBoot(Clock::time_point now) {
    if (booted_ || !bootEnd_ || now < *bootEnd_) {
        return;
    }
    booted_ = true;
    log_.Event("booted, " + std::to_string(bootIgnored_) +
                   (bootIgnored_ == 1 ? " byte" : " bytes") + " ignored",
               now);
}

void Simulator::TakeFrames(Clock::time_point now) {
    ProtocolCodec::Frame frame;
    while (!done_ && rx_.Next(frame)) {
        ReportDiscarded(now);
        HandleFrame(frame, now);
    }
    if (!done_) {
        ReportDiscarded(now);
    }
}

void Simulator::ReportDiscarded(Clock::time_point now) {
    if (const auto garbage = rx_.TakeGarbageLine()) {
        log_.Event(*garbage, now);
    }
}

void Simulator::CheckLineIdle(Clock::time_point now) {
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

void Simulator::HandleFrame(const ProtocolCodec::Frame& frame, Clock::time_point now) {
    ++framesReceived_;
    if (options_.hangupAfter > 0 && framesReceived_ >= options_.hangupAfter) {
        HangUp(now);
        return;
    }
    const AdapterModel::Outcome outcome = model_.Handle(frame);
    Report(outcome, now);
    if (!outcome.frame.empty() && !options_.noReply) {
        SendReply(outcome.frame, now);
    }
}

void Simulator::Report(const AdapterModel::Outcome& outcome, Clock::time_point now) {
    for (const std::string& event : outcome.events) {
        log_.Event(event, now);
    }
    if (options_.camera && outcome.portWritten) {
        for (const std::string& line : camera_.ReadPort(*outcome.portWritten, now)) {
            log_.Event(line, now);
        }
    }
}

void Simulator::SendReply(const std::vector<uint8_t>& frame, Clock::time_point now) {
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(options_.garbage) + frame.size());
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int i = 0; i < options_.garbage; ++i) {
        bytes.push_back(static_cast<uint8_t>(anyByte(garbage_)));
    }
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    line_.Queue(std::move(bytes), now + std::chrono::milliseconds(options_.lateReplyMs));
    FlushLine(Clock::now());
}

void Simulator::FlushLine(Clock::time_point now) {
    if (!pty_.IsOpen()) {
        return;
    }
    const std::vector<uint8_t> due = line_.Take(now);
    unwritten_.insert(unwritten_.end(), due.begin(), due.end());
    pty_.WritePending(unwritten_);
}

void Simulator::ReadStdin(Clock::time_point now) {
    const auto overlong = input_.Read(
        [&](const std::string& line) { HandleCommandLine(line, now); }, [this] { return !done_; });
    if (overlong) {
        log_.Event(*overlong, now);
    }
}

void Simulator::HandleCommandLine(const std::string& line, Clock::time_point now) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command)) {
        return;
    }
    if (command == "read") {
        Report(model_.MasterRead(), now);
    } else if (command == "write") {
        std::vector<uint8_t> bytes;
        std::string word;
        while (words >> word) {
            const auto value = HexText::ParseByte(word);
            if (!value) {
                log_.Event("error write: '" + word + "' is not a hex byte", now);
                return;
            }
            bytes.push_back(*value);
        }
        const AdapterModel::Outcome outcome = model_.MasterWrite(bytes);
        Report(outcome, now);
        if (!outcome.frame.empty()) {
            line_.Queue(outcome.frame, now);
            FlushLine(Clock::now());
        }
    } else if (command == "hangup") {
        HangUp(now);
    } else if (command == "quit") {
        done_ = true;
    } else {
        log_.Event("error unknown command '" + command + "'", now);
    }
}

void Simulator::HangUp(Clock::time_point now) {
    log_.Event("hangup", now);
    Finish();
}

void Simulator::Finish() {
    line_.Clear();
    unwritten_.clear();
    pty_.Close();
    done_ = true;
}

} // namespace quillon::sim
