#pragma once

#include "AdapterSession.h"
#include "Reporter.h"

#include <QElapsedTimer>

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace quillon::cli {

// Every master write from the port's opening on. In a session each is reported the moment
// it arrives, whatever command runs, stamped in ms since the opening, with the adapter's
// not-forwarded count and the tool's own losses named before the write that follows them.
// The newest writes not yet passed over are kept for `expect`, which looks for its write
// among those that came since the previous expect ended, so an answer that came during the
// command before it is not missed.
class MasterFeed {
public:
    enum class Echo { Quiet, Live };

    // A device under test that chatters while nobody expects anything must not grow the
    // tool without bound: older writes are passed over.
    static constexpr std::size_t kMaxKept = 4096;

    MasterFeed(AdapterSession& session, Reporter& reporter);
    ~MasterFeed();
    MasterFeed(const MasterFeed&) = delete;
    MasterFeed& operator=(const MasterFeed&) = delete;

    // The port has just opened.
    void Start(Echo echo);
    bool IsLive() const { return echo_ == Echo::Live; }
    qint64 ElapsedMs() const { return clock_.elapsed(); }
    // Master writes arrived since the opening.
    qint64 Arrived() const { return arrived_; }

    // The arrival (ms since the opening) of the first kept write of exactly these bytes;
    // it and the writes before it are passed over. None when no kept write matches.
    std::optional<qint64> TakeMatch(std::span<const uint8_t> bytes);
    // Passes over every write kept so far.
    void PassOver() { kept_.clear(); }

private:
    struct Kept {
        qint64 ms;
        std::vector<uint8_t> bytes;
    };

    void OnWrite(const AdapterSession::MasterWrite& write);

    AdapterSession& session_;
    Reporter& reporter_;
    Echo echo_ = Echo::Quiet;
    QElapsedTimer clock_;
    qint64 arrived_ = 0;
    uint32_t notForwarded_ = 0;
    uint32_t lost_ = 0;
    std::deque<Kept> kept_;
};

} // namespace quillon::cli
