#pragma once

#include "protocol/ProtocolCodec.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The library's side of the line, reduced to what the tests need: a raw serial client on
// the simulator's pseudo-terminal that sends frames and finds replies with the shared codec.
class PtyClient {
public:
    enum class Result { Frame, Timeout, HangUp };
    // What a partial frame meets when the line goes quiet for 20 ms: the protocol's idle
    // rule, or patience. A simulator that paces its output byte by byte can be held up
    // between two bytes on a busy machine, as no cable ever is.
    enum class Partial { GiveUpWhenIdle, Wait };

    PtyClient() = default;
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool Open(const QString& device);
    void Close();

    bool Send(const std::vector<uint8_t>& bytes);
    bool Command(uint8_t seq, uint8_t code, std::initializer_list<uint8_t> payload = {});

    // Waits up to timeoutMs for the next good frame.
    Result Receive(quillon::protocol::ProtocolCodec::Frame& frame, int timeoutMs,
                   Partial partial = Partial::GiveUpWhenIdle);

    std::size_t Discarded() const { return codec_.Discarded(); }

    // The device's HUPCL flag, which makes the last close of a serial port drop DTR: read,
    // and set as `stty hupcl` does, each by an opening of its own. Empty: the device
    // could not be opened or read.
    static std::optional<bool> HangsUpOnClose(const QString& device);
    static bool SetHangUpOnClose(const QString& device);

private:
    int fd_ = -1;
    quillon::protocol::ProtocolCodec codec_;
};
