#pragma once

#include "AvrBoard.h"
#include "BoardOptions.h"
#include "sim/CameraUnit.h"
#include "sim/CommandInput.h"
#include "EepromState.h"
#include "sim/EventLog.h"
#include "FrameEvents.h"
#include "sim/HostReceiver.h"
#include "sim/LineWriter.h"
#include "PinWatcher.h"
#include "protocol/ProtocolCodec.h"
#include "sim/PtyPort.h"
#include "TwiMaster.h"
#include "UartBridge.h"
#include "WriteTimes.h"

#include <chrono>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillon::boardsim {

// One run of the board simulator: a single poll() loop over the pseudo-terminal and
// standard input that advances the simulated board between polls, either in step with the
// wall clock or, with --fast, as fast as it goes while anything is happening.
class BoardSimulator {
public:
    using Clock = std::chrono::steady_clock;

    explicit BoardSimulator(BoardOptions options);
    ~BoardSimulator();

    // Returns the process exit code.
    int Run();

private:
    bool SetUp(std::string& error);
    void Advance();
    void ReadPty(Clock::time_point now);
    void ReadStdin(Clock::time_point now);
    void CheckLineIdle(Clock::time_point now);
    void TakeHostFrames();
    void ReportDiscarded();
    void HandleCommandLine(const std::string& line);
    void OnBoardByte(uint8_t value, AvrBoard::Cycle done);
    void HandleBoardFrame(const quillon::protocol::ProtocolCodec::Frame& frame, std::size_t size,
                          AvrBoard::Cycle done);
    void FlushLine(Clock::time_point now);
    void Event(const std::string& text, AvrBoard::Cycle when);
    void HangUp();
    void Finish();
    Clock::time_point WallTime(AvrBoard::Cycle cycle) const;
    AvrBoard::Cycle TargetCycle(Clock::time_point now) const;
    std::optional<Clock::duration> PollTimeout(Clock::time_point now) const;

    BoardOptions options_;
    Clock::time_point start_;
    sim::EventLog log_;
    AvrBoard board_;
    std::unique_ptr<UartBridge> uart_;
    std::unique_ptr<TwiMaster> master_;
    std::unique_ptr<PinWatcher> pins_;
    std::unique_ptr<EepromState> eeprom_;
    std::unique_ptr<WriteTimes> writeTimes_; // with --write-times only
    sim::CameraUnit camera_;
    sim::PtyPort pty_;
    sim::LineWriter line_;
    sim::HostReceiver hostRx_;
    quillon::protocol::ProtocolCodec boardRx_;
    std::vector<uint8_t> boardRaw_; // what the board sent since its last whole frame
    FrameEvents frames_;
    std::vector<uint8_t> unwritten_;
    std::mt19937 garbage_;
    sim::CommandInput input_;
    int framesReceived_ = 0;
    AvrBoard::Cycle lastActivity_ = 0;
    bool stopReported_ = false;
    bool done_ = false;
};

} // namespace quillon::boardsim
