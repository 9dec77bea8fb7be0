#include "LinkState.h"

#include "platform/core/ApplicationWindow.h"

#include <algorithm>

namespace quillon::link {

LinkState::LinkState(uint32_t message) : message_(message) {}

uint64_t LinkState::BeginOpen() {
    std::lock_guard lock(mutex_);
    if (port_ != Port::Closed) {
        return 0;
    }
    port_ = Port::Opening;
    counters_ = {};
    notForwarded_ = 0;
    fetchedNotForwarded_ = 0;
    return ++generation_;
}

void LinkState::BeginClose() {
    std::lock_guard lock(mutex_);
    ResolveWaiting(VANTREL_NOTIFY_TIMEOUT);
    port_ = Port::Closed;
    ++generation_;
}

uint8_t LinkState::ReserveCommand(uint8_t& seq) {
    std::lock_guard lock(mutex_);
    if (port_ != Port::Open) {
        return VANTREL_STATUS_PORT_CLOSED;
    }
    if (waiting_) {
        return VANTREL_STATUS_BUSY;
    }
    seq = lastSeq_ = static_cast<uint8_t>(lastSeq_ == 255 ? 1 : lastSeq_ + 1);
    waiting_ = true;
    waitingSeq_ = seq;
    return VANTREL_STATUS_SENT;
}

bool LinkState::IsOpen() const {
    std::lock_guard lock(mutex_);
    return port_ == Port::Open;
}

void LinkState::TakeRecord(uint8_t* out) {
    std::lock_guard lock(mutex_);
    if (!records_.empty()) {
        lastRecord_ = records_.front().record;
        fetchedNotForwarded_ = records_.front().notForwarded;
        records_.pop_front();
    }
    std::copy(lastRecord_.begin(), lastRecord_.end(), out);
}

std::string LinkState::Version() const {
    std::lock_guard lock(mutex_);
    return version_;
}

LinkState::Counters LinkState::LastCounters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

uint32_t LinkState::NotForwarded() const {
    std::lock_guard lock(mutex_);
    return fetchedNotForwarded_;
}

void LinkState::Detach() {
    // Only the notices stop: a command accepted just before the instance ended (a switch
    // release written as the window closes) still goes out ahead of the shutdown.
    std::lock_guard lock(mutex_);
    attached_ = false;
}

uint8_t LinkState::NextSeq() {
    std::lock_guard lock(mutex_);
    return lastSeq_ = static_cast<uint8_t>(lastSeq_ == 255 ? 1 : lastSeq_ + 1);
}

bool LinkState::IsCurrent(uint64_t generation) const {
    std::lock_guard lock(mutex_);
    return generation == generation_ && port_ != Port::Closed;
}

bool LinkState::IsWaiting(uint8_t seq) const {
    std::lock_guard lock(mutex_);
    return waiting_ && waitingSeq_ == seq;
}

void LinkState::OpeningAnswered(uint64_t generation, const std::string& version) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ != Port::Opening) {
        return;
    }
    port_ = Port::Open;
    version_ = version;
    Post(VANTREL_NOTIFY_OPENED);
    Post(VANTREL_NOTIFY_VERSION);
}

void LinkState::OpeningFailed(uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ != Port::Opening) {
        return;
    }
    port_ = Port::Closed;
    ++generation_;
    Post(VANTREL_NOTIFY_TIMEOUT);
}

bool LinkState::Resolve(uint8_t seq, uintptr_t code, intptr_t arg) {
    std::lock_guard lock(mutex_);
    if (!waiting_ || waitingSeq_ != seq) {
        return false;
    }
    waiting_ = false;
    Post(code, arg);
    return true;
}

void LinkState::PortLost(uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ == Port::Closed) {
        return;
    }
    const bool wasOpen = port_ == Port::Open;
    ResolveWaiting(VANTREL_NOTIFY_TIMEOUT);
    port_ = Port::Closed;
    ++generation_;
    // A device lost while the adapter had not yet answered is a failed opening, not a close.
    Post(wasOpen ? VANTREL_NOTIFY_CLOSED : VANTREL_NOTIFY_TIMEOUT);
}

void LinkState::Closed() {
    std::lock_guard lock(mutex_);
    Post(VANTREL_NOTIFY_CLOSED);
}

void LinkState::PushRecord(uint64_t generation, const Record& record) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ == Port::Closed) {
        return;
    }
    if (records_.size() >= kMaxRecords) {
        ++recordsDropped_;
        return;
    }
    records_.push_back({record, notForwarded_});
    Post(VANTREL_NOTIFY_MASTER_DATA);
}

bool LinkState::ResolveCounters(uint8_t seq, const Counters& counters) {
    std::lock_guard lock(mutex_);
    if (!waiting_ || waitingSeq_ != seq) {
        return false;
    }
    waiting_ = false;
    counters_ = counters;
    Post(VANTREL_NOTIFY_COUNTERS);
    return true;
}

void LinkState::NotForwardedReported(uint64_t generation, uint32_t count) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ == Port::Closed) {
        return;
    }
    notForwarded_ = count;
}

void LinkState::Post(uintptr_t code, intptr_t arg) {
    if (attached_) {
        quillon::platform::TApplicationWindow::PostMessage(message_, code, arg);
    }
}

void LinkState::ResolveWaiting(uintptr_t code) {
    if (waiting_) {
        waiting_ = false;
        Post(code);
    }
}

} // namespace quillon::link
