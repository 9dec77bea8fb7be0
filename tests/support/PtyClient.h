#pragma once

#include "ProtocolCodec.h"

#include <QString>

#include <cstdint>
#include <vector>

// The library's side of the line, reduced to what the tests need: a raw serial client on
// the simulator's pseudo-terminal that sends frames and finds replies with the shared codec.
class PtyClient {
public:
    enum class Result { Frame, Timeout, HangUp };

    PtyClient() = default;
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool Open(const QString& device);
    void Close();

    bool Send(const std::vector<uint8_t>& bytes);
    bool Command(uint8_t seq, uint8_t code, std::initializer_list<uint8_t> payload = {});

    // Waits up to timeoutMs for the next good frame, applying the 20 ms idle rule.
    Result Receive(vantrel::ProtocolCodec::Frame& frame, int timeoutMs);

    std::size_t Discarded() const { return codec_.Discarded(); }

private:
    int fd_ = -1;
    vantrel::ProtocolCodec codec_;
};
