#pragma once

#include "LinkState.h"
#include "protocol/CommandTable.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QThread;

namespace quillon::link {

class SerialLink;

// The library's one adapter link: what the exports do, on the caller's (UI) thread. Every
// operation returns at once; serial work is queued to the link thread.
class LinkLibrary {
public:
    static LinkLibrary& Instance();

    uint32_t Create();
    void Destroy();

    void SetComPort(int32_t comPort) { comPort_.store(comPort); }
    int32_t ComPort() const { return comPort_.load(); }
    void SetTimeOut(uint16_t ms) { timeOut_.store(ms); }
    uint16_t TimeOut() const { return timeOut_.load(); }

    void Connect(bool open);
    bool IsConnected() const;
    uint8_t WriteRegs(const uint8_t* data, int32_t lastIndex, uint8_t intType);
    uint8_t ReadAddress();
    uint8_t ChangeAddress(uint8_t address);
    uint8_t SaveAddress();
    void TakeMasterData(uint8_t* out);
    const char* Version();

    // The extras of VantrelExtras.h.
    uint8_t Pacing(uint8_t pacing);
    uint8_t AskCounters();
    void TakeCounters(uint32_t* out);
    uint32_t NotForwarded();
    uint8_t AddressReply();
    std::string OpenError();
    std::string OpenPath();
    uint32_t RecordsDropped();

    // How long VantrelDestroy waits for the link thread before leaving it behind.
    static constexpr unsigned long kThreadStopMs = 3000;
    // How long VantrelCreate waits for the link thread to come up (it takes far less).
    static constexpr int kThreadStartMs = 3000;

private:
    LinkLibrary() = default;
    void StartLinkThread();
    // Sends a command the callers have built by the protocol's rules; the reply it waits for
    // comes from the command table.
    uint8_t Command(uint8_t code, const std::vector<uint8_t>& payload);

    // Guards the instance fields; the exports may be entered from more than one thread.
    mutable std::mutex mutex_;
    int refs_ = 0;
    uint32_t message_ = 0;
    QThread* thread_ = nullptr;
    SerialLink* link_ = nullptr;
    std::shared_ptr<LinkState> state_;
    std::atomic<int32_t> comPort_{1};
    std::atomic<uint16_t> timeOut_{1500};
    // GetVersion's text stays valid until the next GetVersion, whatever the link does.
    std::array<char, protocol::kMaxVersionLength + 1> version_{};
};

} // namespace quillon::link
