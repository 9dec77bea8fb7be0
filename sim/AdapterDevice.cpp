#include "AdapterDevice.h"

#include "protocol/CommandTable.h"
#include "protocol/FrameFormat.h"
#include "simkit/HexText.h"
#include "simkit/StateFile.h"

#include <utility>

namespace quillon::sim {

using simkit::HexText;
using simkit::LineRunner;
using simkit::StateFile;

namespace {

// Longer than any command the adapter simulator takes: a write of the longest master data
// takes a few hundred characters.
constexpr std::size_t kMaxCommandLine = 4096;

uint8_t LoadAddress(const SimOptions& options, std::optional<std::string>& problem) {
    if (options.line.state.empty()) {
        return AdapterModel::kDefaultAddress;
    }
    const StateFile::LoadResult loaded = StateFile(options.line.state).Load();
    switch (loaded.status) {
    case StateFile::LoadStatus::Loaded:
        // The firmware does not start on a reserved address either (an old save).
        if (!protocol::SlaveAddress::IsReserved(loaded.address)) {
            return loaded.address;
        }
        problem = "address " + HexText::Byte(loaded.address) + " in " + options.line.state +
                  " is reserved; using address " + HexText::Byte(AdapterModel::kDefaultAddress);
        break;
    case StateFile::LoadStatus::Malformed:
        problem = loaded.error + "; using address " + HexText::Byte(AdapterModel::kDefaultAddress);
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
    return [file = StateFile(path)](uint8_t address) { return file.Save(address); };
}

} // namespace

AdapterDevice::AdapterDevice(const SimOptions& options)
    : options_(options),
      model_(options.version, LoadAddress(options, stateProblem_), MakeSaver(options.line.state)),
      booted_(options.bootMs == 0) {
    model_.ConfirmAddress(options.confirmAddress);
    model_.ConfirmPacing(options.confirmPacing);
}

std::size_t AdapterDevice::LongestCommandLine() const {
    return kMaxCommandLine;
}

AdapterDevice::Clock::duration AdapterDevice::BytePeriod() const {
    if (!options_.pace) {
        return Clock::duration::zero();
    }
    const std::chrono::duration<double> period(double(protocol::LineFormat::kBitsPerByte) /
                                               options_.baud);
    return std::chrono::duration_cast<Clock::duration>(period);
}

std::optional<std::string> AdapterDevice::PowerOn(LineRunner& line, Clock::time_point) {
    line_ = &line;
    return stateProblem_;
}

std::optional<AdapterDevice::Clock::time_point> AdapterDevice::NextWake(Clock::time_point) const {
    if (booted_) {
        return std::nullopt;
    }
    return bootEnd_;
}

void AdapterDevice::Woke(Clock::time_point now) {
    if (booted_ || !bootEnd_ || now < *bootEnd_) {
        return;
    }
    booted_ = true;
    line_->Event("booted, " + std::to_string(bootIgnored_) +
                     (bootIgnored_ == 1 ? " byte" : " bytes") + " ignored",
                 now);
}

bool AdapterDevice::HostBytes(const uint8_t*, std::size_t size, Clock::time_point now) {
    if (booted_) {
        return true;
    }
    // The board reset as its port was opened, which the first byte stands for.
    if (!bootEnd_) {
        bootEnd_ = now + std::chrono::milliseconds(options_.bootMs);
    }
    bootIgnored_ += size;
    return false;
}

void AdapterDevice::HostFrame(const Frame& frame, Clock::time_point now) {
    const AdapterModel::Outcome outcome = model_.Handle(frame);
    Report(outcome, now);
    if (!outcome.frame.empty()) {
        line_->Send(outcome.frame, now, LineRunner::Sending::Reply);
    }
}

void AdapterDevice::Report(const AdapterModel::Outcome& outcome, Clock::time_point now) {
    for (const std::string& event : outcome.events) {
        line_->Event(event, now);
    }
    if (outcome.portWritten) {
        line_->PortWritten(*outcome.portWritten, now);
    }
}

simkit::SimDevice::Command AdapterDevice::HandleCommand(const std::string& command,
                                                        std::istream& words,
                                                        Clock::time_point now) {
    if (command == "read") {
        Report(model_.MasterRead(), now);
    } else if (command == "probe") {
        Report(model_.MasterProbe(), now);
    } else if (command == "frame") {
        SendFrame(words, now);
    } else {
        return Command::NotMine;
    }
    return Command::Handled;
}

void AdapterDevice::SendFrame(std::istream& words, Clock::time_point now) {
    std::vector<uint8_t> bytes;
    std::string word;
    while (words >> word) {
        const auto value = HexText::ParseByte(word);
        if (!value) {
            line_->Event("error frame: '" + word + "' is not a hex byte", now);
            return;
        }
        bytes.push_back(*value);
    }
    // SEQ and code, then a payload that fits one frame.
    constexpr std::size_t kHead = 2;
    if (bytes.size() < kHead || bytes.size() > kHead + protocol::FrameFormat::kMaxPayload) {
        line_->Event("error frame: expected SEQ, code and 0.." +
                         std::to_string(protocol::FrameFormat::kMaxPayload) + " payload bytes",
                     now);
        return;
    }
    std::vector<uint8_t> frame;
    protocol::ProtocolCodec::Encode(bytes[0], bytes[1], bytes.data() + kHead, bytes.size() - kHead,
                                    frame);
    line_->Event("frame sent " + HexText::Bytes(bytes), now);
    line_->Send(std::move(frame), now, LineRunner::Sending::Unsolicited);
}

void AdapterDevice::MasterWrite(std::vector<uint8_t> bytes, Clock::time_point now) {
    const AdapterModel::Outcome outcome = model_.MasterWrite(bytes);
    Report(outcome, now);
    if (!outcome.frame.empty()) {
        // The bus master's data goes to the host whatever the reply faults say.
        line_->Send(outcome.frame, now, LineRunner::Sending::Unsolicited);
    }
}

} // namespace quillon::sim
