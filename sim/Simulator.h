#pragma once

#include "AdapterModel.h"
#include "CameraUnit.h"
#include "CommandInput.h"
#include "EventLog.h"
#include "HostReceiver.h"
#include "LineWriter.h"
#include "protocol/ProtocolCodec.h"
#include "PtyPort.h"
#include "SimOptions.h"

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillon::sim {

// One run of the simulator: a single poll() loop over the pseudo-terminal and standard
// input. Nothing in it sleeps, so input keeps being read while a late or paced reply waits.
class Simulator {
public:
    using Clock = std::chrono::steady_clock;

    explicit Simulator(SimOptions options);

    // Returns the process exit code.
    int Run();

private:
    void ReadPty(Clock::time_point now);
    void CheckBoot(Clock::time_point now);
    void ReadStdin(Clock::time_point now);
    void CheckLineIdle(Clock::time_point now);
    void TakeFrames(Clock::time_point now);
    void ReportDiscarded(Clock::time_point now);
    void HandleFrame(const quillon::protocol::ProtocolCodec::Frame& frame, Clock::time_point now);
    void HandleCommandLine(const std::string& line, Clock::time_point now);
    void Report(const AdapterModel::Outcome& outcome, Clock::time_point now);
    void SendReply(const std::vector<uint8_t>& frame, Clock::time_point now);
    void FlushLine(Clock::time_point now);
    void HangUp(Clock::time_point now);
    void Finish();
    std::optional<Clock::time_point> NextWake() const;

    SimOptions options_;
    Clock::time_point start_;
    EventLog log_;
    std::string startupError_;
    AdapterModel model_;
    CameraUnit camera_;
    PtyPort pty_;
    LineWriter line_;
    HostReceiver rx_;
    std::vector<uint8_t> unwritten_;
    std::mt19937 garbage_;
    CommandInput input_;
    int framesReceived_ = 0;
    // A board in its bootloader: set by the first byte when --boot-ms is given, cleared
    // when the bootloader has handed over.
    std::optional<Clock::time_point> bootEnd_;
    bool booted_ = false;
    std::size_t bootIgnored_ = 0;
    bool done_ = false;
};

} // namespace quillon::sim
