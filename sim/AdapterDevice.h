#pragma once

#include "AdapterModel.h"
#include "SimOptions.h"
#include "simkit/LineRunner.h"
#include "simkit/SimDevice.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace quillon::sim {

// The adapter model behind the kit's line: it answers each frame at once, and with
// --boot-ms plays a board in its bootloader that is deaf for a while after its port opens.
class AdapterDevice : public simkit::SimDevice {
public:
    explicit AdapterDevice(const SimOptions& options);

    std::size_t LongestCommandLine() const override;
    // The time one character takes on the line with --pace, else none.
    Clock::duration BytePeriod() const override;
    std::optional<std::string> PowerOn(simkit::LineRunner& line, Clock::time_point start) override;
    std::optional<Clock::time_point> NextWake(Clock::time_point now) const override;
    void Woke(Clock::time_point now) override;
    bool HostBytes(const uint8_t* data, std::size_t size, Clock::time_point now) override;
    void HostFrame(const Frame& frame, Clock::time_point now) override;
    Command HandleCommand(const std::string& command, std::istream& words,
                          Clock::time_point now) override;
    void MasterWrite(std::vector<uint8_t> bytes, Clock::time_point now) override;

private:
    void Report(const AdapterModel::Outcome& outcome, Clock::time_point now);
    // "frame SS CC [XX ..]": a frame of any SEQ, code and payload, as it is, so a test can
    // show a host frames it must drop (codes it does not know, replies nobody waits for).
    void SendFrame(std::istream& words, Clock::time_point now);

    const SimOptions& options_;
    std::optional<std::string> stateProblem_;
    AdapterModel model_;
    simkit::LineRunner* line_ = nullptr;
    // Set by the first byte when --boot-ms is given, cleared when the bootloader has
    // handed over.
    std::optional<Clock::time_point> bootEnd_;
    bool booted_;
    std::size_t bootIgnored_ = 0;
};

} // namespace quillon::sim
