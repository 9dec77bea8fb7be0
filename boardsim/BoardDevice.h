#pragma once

#include "BoardOptions.h"
#include "EepromState.h"
#include "FrameEvents.h"
#include "PinWatcher.h"
#include "SimavrBoard.h"
#include "TwiMaster.h"
#include "UartBridge.h"
#include "WriteTimes.h"
#include "protocol/ProtocolCodec.h"
#include "simkit/LineRunner.h"
#include "simkit/SimDevice.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::boardsim {

// The simulated board behind the kit's line. Between polls it advances the board, either
// in step with the wall clock or, with --fast, as fast as it goes while anything is
// happening; event times are the board's simulated time since power-on.
class BoardDevice : public simkit::SimDevice {
public:
    explicit BoardDevice(const BoardOptions& options);
    ~BoardDevice() override;

    std::size_t LongestCommandLine() const override;
    std::optional<std::string> Load() override;
    std::optional<std::string> PowerOn(simkit::LineRunner& line, Clock::time_point start) override;
    void RunUntil(Clock::time_point now) override;
    std::optional<Clock::time_point> NextWake(Clock::time_point now) const override;
    void Woke(Clock::time_point now) override;
    bool HostBytes(const uint8_t* data, std::size_t size, Clock::time_point now) override;
    void HostFrame(const Frame& frame, Clock::time_point now) override;
    Command HandleCommand(const std::string& command, std::istream& words,
                          Clock::time_point now) override;
    void MasterWrite(std::vector<uint8_t> bytes, Clock::time_point now) override;
    Clock::time_point EventTime(Clock::time_point now) override;
    bool WatchesDtr() const override;
    void DtrRose(Clock::time_point now) override;
    std::optional<Clock::time_point> OwnClock() const override;

private:
    void Reset();
    void MasterRead(std::istream& words);
    void OnHostByte(uint8_t value, simkit::LineRunner::Burst burst);
    void Stall(std::istream& words);
    void MasterWriteRead(std::istream& words);
    std::optional<std::size_t> ReadCount(const std::string& word);
    void OnBoardByte(uint8_t value, SimavrBoard::Cycle done);
    void HandleBoardFrame(const Frame& frame, std::size_t size, SimavrBoard::Cycle done);
    void Event(const std::string& text, SimavrBoard::Cycle when);
    Clock::time_point WallTime(SimavrBoard::Cycle cycle) const;
    SimavrBoard::Cycle TargetCycle(Clock::time_point now) const;
    SimavrBoard::Cycle WallCycle(Clock::time_point now) const;
    // Nothing on its way in, no bus transaction, and a while since anything happened.
    bool Quiet() const;
    void RunBoard(SimavrBoard::Cycle until);

    const BoardOptions& options_;
    simkit::LineRunner* line_ = nullptr;
    Clock::time_point start_;
    SimavrBoard board_;
    std::unique_ptr<UartBridge> uart_;
    std::unique_ptr<TwiMaster> master_;
    std::unique_ptr<PinWatcher> pins_;
    std::unique_ptr<EepromState> eeprom_;
    std::unique_ptr<WriteTimes> writeTimes_; // with --write-times only
    quillon::protocol::ProtocolCodec boardRx_;
    std::vector<uint8_t> boardRaw_; // what the board sent since its last whole frame
    FrameEvents frames_;
    SimavrBoard::Cycle lastActivity_ = 0;
    bool stopReported_ = false;
};

} // namespace quillon::boardsim
