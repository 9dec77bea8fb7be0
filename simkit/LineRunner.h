#pragma once

#include "CameraUnit.h"
#include "CommandInput.h"
#include "DtrLine.h"
#include "EventLog.h"
#include "HostReceiver.h"
#include "LineOptions.h"
#include "LineWriter.h"
#include "ProgramOptions.h"
#include "PtyPort.h"
#include "SimDevice.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillon::simkit {

// One run of a simulator: a single poll() loop over the pseudo-terminal and standard input
// that nothing in it blocks, so input keeps being read while a late or paced reply waits.
// It owns the line and its faults (noise before replies, late replies, no replies, hanging
// up), the DTR line for a device that cares, the host's frames with the protocol's idle
// rule, and the stdin commands write, hangup and quit; the device does the rest.
class LineRunner {
public:
    using Clock = std::chrono::steady_clock;

    enum class Sending {
        Reply,      // an answer: noise first and late with the options, or not at all
        Unsolicited // as it is, when it is due
    };

    LineRunner(const ProgramOptions& options, SimDevice& device);

    // A simulator's main(): its options read, its device made from them, the line run.
    template <typename Options, typename Device> static int Main(int argc, char* argv[]) {
        Options options;
        if (const auto exit = options.Read(argc, argv)) {
            return *exit;
        }
        Device device(options);
        return LineRunner(options, device).Run();
    }

    // Returns the process exit code.
    int Run();

    // For the device.
    void Event(const std::string& text, Clock::time_point when);
    // With --camera: the camera unit reads the port as written at when.
    void PortWritten(uint8_t port, Clock::time_point when);
    void Send(std::vector<uint8_t> bytes, Clock::time_point due, Sending sending);
    // Whether more of the host's bytes follow right behind these, so that garbage among
    // them is reported in one line when the burst ends.
    enum class Burst { Ends, GoesOn };
    // Bytes from the host that the device kept from the frame reader (HostBytes false), as
    // its far end takes them, at when on its own clock.
    void Received(const uint8_t* data, std::size_t size, Clock::time_point when, Burst burst);

private:
    bool Open();
    void ReadDtr(Clock::time_point now);
    void ReadPty(Clock::time_point now);
    Clock::time_point LineTime(Clock::time_point now) const;
    void TakeFrames(Clock::time_point now, Burst burst = Burst::Ends);
    void ReportDiscarded(Clock::time_point now);
    void CheckLineIdle(Clock::time_point now);
    void ReadStdin(Clock::time_point now);
    void HandleCommandLine(const std::string& line, Clock::time_point now);
    void MasterWrite(std::istream& words, Clock::time_point now);
    void FlushLine(Clock::time_point now);
    void HangUp(Clock::time_point now);
    void Finish();
    std::optional<Clock::time_point> NextWake(Clock::time_point now) const;
    void Fail(const std::string& problem) const;

    std::string program_;
    LineOptions options_;
    SimDevice& device_;
    EventLog log_;
    CameraUnit camera_;
    PtyPort pty_;
    DtrLine dtr_;
    LineWriter line_;
    HostReceiver rx_;
    std::vector<uint8_t> unwritten_;
    std::mt19937 garbage_;
    CommandInput input_;
    int framesReceived_ = 0;
    bool done_ = false;
};

} // namespace quillon::simkit
