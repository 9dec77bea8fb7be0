#pragma once

#include "LinkState.h"
#include "protocol/ProtocolCodec.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace quillon::link {

// The serial side of the link. Lives on the library's own thread and owns the port; the UI
// side reaches it only by queueing calls of the operations below through Queue(), and
// learns about it only through LinkState.
class SerialLink final : public QObject {
    Q_OBJECT
public:
    // How long a shutdown waits for accepted bytes to leave.
    static constexpr int kShutdownDrainMs = 200;
    // While opening, V goes out again this often until the adapter answers. A board that
    // resets when its port opens sits in its bootloader and swallows what it hears for
    // about a second; asking every 250 ms reaches it within a quarter second of its start,
    // well inside the panel's 1.5 s. An adapter that is already running answers in under
    // 100 ms (V in, up to 69 bytes of v out at 9600 baud, plus a USB chip's latency), so it
    // is not asked twice; should a second answer come after all, its SEQ is no longer
    // awaited and it is dropped.
    static constexpr int kOpeningRepeatMs = 250;

    explicit SerialLink(std::shared_ptr<LinkState> state);

    // Thread-safe: runs the task on the link thread, in the order queued. The tasks pass
    // through our own mutex rather than through Qt's event objects, so that the hand-over
    // of everything they capture is visible to race checkers.
    void Queue(std::function<void()> task);

    void Open(uint64_t generation, int32_t comPort, uint16_t timeOut);
    // The UI closed the link: close the port and report it, whatever state it was in.
    void Close();
    void Send(uint8_t seq, uint8_t expectedReply, const std::vector<uint8_t>& frame,
              uint16_t timeOut);
    // The instance ends: close without a word.
    void Shutdown();

private:
    Q_INVOKABLE void RunQueued();
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void OnReplyTimeout();
    void OnOpeningRepeat();
    void SendOpeningCheck();
    void OnLineIdle();
    void DrainFrames();
    void TraceGarbage();
    void HandleFrame(const protocol::ProtocolCodec::Frame& frame);
    void HandleReply(const protocol::ProtocolCodec::Frame& frame);
    void HandleUnsolicited(const protocol::ProtocolCodec::Frame& frame);
    // Whether a reply's payload holds values its command can answer with.
    static bool ReplyValueFits(const protocol::ProtocolCodec::Frame& frame);
    bool Transmit(const std::vector<uint8_t>& frame);
    void Await(uint8_t seq, uint8_t expectedReply, uint16_t timeOut);
    void LoseDevice();
    void DropPort();

    std::mutex tasksMutex_;
    std::deque<std::function<void()>> tasks_;

    std::shared_ptr<LinkState> state_;
    QSerialPort port_;
    QTimer replyTimer_;
    QTimer idleTimer_;
    QTimer repeatTimer_;
    QString path_;
    protocol::ProtocolCodec codec_;
    std::size_t discardedSeen_ = 0;
    // The generation of the UI's opening that the port belongs to.
    uint64_t generation_ = 0;
    bool opening_ = false;
    // The SEQs of this opening's V frames: a v answering any of them opens the link.
    std::bitset<256> openingSeqs_;
    bool lossQueued_ = false;
    bool awaiting_ = false;
    uint8_t awaitSeq_ = 0;
    uint8_t awaitCode_ = 0;
};

} // namespace quillon::link
