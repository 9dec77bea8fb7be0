#include "MasterFeed.h"

#include "vantrel32/VantrelExtras.h"

#include <algorithm>

namespace quillon::cli {

MasterFeed::MasterFeed(AdapterSession& session, Reporter& reporter)
    : session_(session), reporter_(reporter) {
    clock_.start();
    session_.OnMasterWrite([this](const AdapterSession::MasterWrite& write) { OnWrite(write); });
}

MasterFeed::~MasterFeed() {
    session_.OnMasterWrite({});
}

void MasterFeed::Start(Echo echo) {
    echo_ = echo;
    clock_.start();
    notForwarded_ = AdapterSession::NotForwarded();
    lost_ = VantrelGetRecordsDropped();
}

void MasterFeed::OnWrite(const AdapterSession::MasterWrite& write) {
    ++arrived_;
    const qint64 ms = clock_.elapsed();
    kept_.push_back({ms, write.bytes});
    if (kept_.size() > kMaxKept) {
        kept_.pop_front();
    }
    if (echo_ != Echo::Live) {
        return;
    }
    // The library counts since it was loaded, and it was loaded for this run: the count is
    // the tool's own in all.
    const uint32_t lost = VantrelGetRecordsDropped();
    if (lost != lost_) {
        lost_ = lost;
        reporter_.MasterLost(lost);
    }
    if (write.notForwarded != notForwarded_) {
        notForwarded_ = write.notForwarded;
        reporter_.NotForwarded(notForwarded_);
    }
    reporter_.MasterWrite(write.at, ms, write.bytes, write.port);
}

std::optional<qint64> MasterFeed::TakeMatch(std::span<const uint8_t> bytes) {
    const auto match = std::find_if(kept_.begin(), kept_.end(), [bytes](const Kept& kept) {
        return std::equal(kept.bytes.begin(), kept.bytes.end(), bytes.begin(), bytes.end());
    });
    if (match == kept_.end()) {
        return std::nullopt;
    }
    const qint64 ms = match->ms;
    kept_.erase(kept_.begin(), std::next(match));
    return ms;
}

} // namespace quillon::cli
