#pragma once

#include "Vantrel32.h"
#include "VantrelExtras.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace quillon::link {

// Everything the UI thread and the link thread both look at, behind one mutex. Every
// notification is posted while that mutex is held, so the order in which the UI sees them
// is the order in which the state changed: a waiting command's outcome always comes before
// the close that ended it, and each command sent gets exactly one outcome.
class LinkState {
public:
    using Record = std::array<uint8_t, VANTREL_I2C_DATA_SIZE>;
    using Counters = std::array<uint32_t, VANTREL_COUNTER_COUNT>;

    enum class Port { Closed, Opening, Open };

    // Unfetched master-data records beyond this are dropped without a notification, so a
    // UI that stopped fetching cannot exhaust memory and the records it does fetch still
    // match their notifications.
    static constexpr std::size_t kMaxRecords = 4096;

    explicit LinkState(uint32_t message);

    // --- UI thread ---
    // Starts an opening; 0 when the link is already opening or open.
    uint64_t BeginOpen();
    // Closes the link at once for every later call; a waiting command gets its time-out now.
    void BeginClose();
    // VANTREL_STATUS_SENT and a sequence number when the command may go out, else the
    // command status that refuses it.
    uint8_t ReserveCommand(uint8_t& seq);
    bool IsOpen() const;
    // The record of the oldest 'i' notification not yet fetched; when every one has been
    // fetched, the last one again (zeros before any).
    void TakeRecord(uint8_t* out);
    std::string Version() const;
    Counters LastCounters() const;
    // The not-forwarded count as it stood when the record TakeRecord last gave came.
    uint32_t NotForwarded() const;
    // The instance is going away: nothing is posted any more.
    void Detach();
    // Records dropped beyond kMaxRecords by every instance since the library was loaded.
    static uint32_t RecordsDropped() { return recordsDropped_.load(); }

    // --- link thread ---
    uint8_t NextSeq();
    // Whether the generation is still the one the UI wants (no close since it opened).
    bool IsCurrent(uint64_t generation) const;
    bool IsWaiting(uint8_t seq) const;
    // The adapter answered the opening check: open, version known; posts 8 and 'v'.
    void OpeningAnswered(uint64_t generation, const std::string& version);
    // Posts 2 when the opening of this generation is still under way.
    void OpeningFailed(uint64_t generation);
    // Posts the outcome of the waiting command if seq is still the one waiting.
    bool Resolve(uint8_t seq, uintptr_t code, intptr_t arg);
    // The device went away under an open (or opening) link.
    void PortLost(uint64_t generation);
    // The port was closed on the UI's request.
    void Closed();
    void PushRecord(uint64_t generation, const Record& record);
    // The counters reply of the waiting command: kept before its notification is posted,
    // so the handler that fetches them gets these.
    bool ResolveCounters(uint8_t seq, const Counters& counters);
    // The adapter reported its not-forwarded count; nothing is posted.
    void NotForwardedReported(uint64_t generation, uint32_t count);

private:
    void Post(uintptr_t code, intptr_t arg = 0);
    void ResolveWaiting(uintptr_t code);

    static inline std::atomic<uint32_t> recordsDropped_{0};

    mutable std::mutex mutex_;
    const uint32_t message_;
    bool attached_ = true;
    Port port_ = Port::Closed;
    uint64_t generation_ = 0;
    uint8_t lastSeq_ = 0;
    bool waiting_ = false;
    uint8_t waitingSeq_ = 0;
    std::string version_;
    // Each record with the not-forwarded count as it stood when the record came: the count
    // a program reads belongs to the record it last fetched, however far the link thread
    // has read ahead.
    struct Queued {
        Record record;
        uint32_t notForwarded;
    };
    std::deque<Queued> records_;
    Record lastRecord_{};
    // Both belong to one opened link and start again at zero with the next.
    Counters counters_{};
    uint32_t notForwarded_ = 0;
    uint32_t fetchedNotForwarded_ = 0;
};

} // namespace quillon::link
