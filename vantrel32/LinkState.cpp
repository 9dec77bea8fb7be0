#include "LinkState.h"

#include "ApplicationWindow.h"

#include <algorithm>

namespace vantrel {

namespace {
constexpr uintptr_t kTimeOut = 2;
constexpr uintptr_t kOpened = 8;
constexpr uintptr_t kClosed = 9;
constexpr uintptr_t kVersion = 'v';
constexpr uintptr_t kMasterData = 'i';
} // namespace

LinkState::LinkState(uint32_t message) : message_(message) {}

uint64_t LinkState::BeginOpen() {
    std::lock_guard lock(mutex_);
    if (port_ != Port::Closed) {
        return 0;
    }
    port_ = Port::Opening;
    return ++generation_;
}

void LinkState::BeginClose() {
    std::lock_guard lock(mutex_);
    ResolveWaiting(kTimeOut);
    port_ = Port::Closed;
    ++generation_;
}

uint8_t LinkState::ReserveCommand(uint8_t& seq) {
    std::lock_guard lock(mutex_);
    if (port_ != Port::Open) {
        return 1;
    }
    if (waiting_) {
        return 2;
    }
    seq = lastSeq_ = static_cast<uint8_t>(lastSeq_ == 255 ? 1 : lastSeq_ + 1);
    waiting_ = true;
    waitingSeq_ = seq;
    return 0;
}

bool LinkState::IsOpen() const {
    std::lock_guard lock(mutex_);
    return port_ == Port::Open;
}

void LinkState::TakeRecord(uint8_t* out) {
    std::lock_guard lock(mutex_);
    if (!records_.empty()) {
        lastRecord_ = records_.front();
        records_.pop_front();
    }
    std::copy(lastRecord_.begin(), lastRecord_.end(), out);
}

std::string LinkState::Version() const {
    std::lock_guard lock(mutex_);
    return version_;
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
    Post(kOpened);
    Post(kVersion);
}

void LinkState::OpeningFailed(uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ != Port::Opening) {
        return;
    }
    port_ = Port::Closed;
    ++generation_;
    Post(kTimeOut);
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
    ResolveWaiting(kTimeOut);
    port_ = Port::Closed;
    ++generation_;
    // A device lost while the adapter had not yet answered is a failed opening, not a close.
    Post(wasOpen ? kClosed : kTimeOut);
}

void LinkState::Closed() {
    std::lock_guard lock(mutex_);
    Post(kClosed);
}

void LinkState::PushRecord(uint64_t generation, const Record& record) {
    std::lock_guard lock(mutex_);
    if (generation != generation_ || port_ == Port::Closed || records_.size() >= kMaxRecords) {
        return;
    }
    records_.push_back(record);
    Post(kMasterData);
}

void LinkState::Post(uintptr_t code, intptr_t arg) {
    if (attached_) {
        platform::TApplicationWindow::PostMessage(message_, code, arg);
    }
}

void LinkState::ResolveWaiting(uintptr_t code) {
    if (waiting_) {
        waiting_ = false;
        Post(code);
    }
}

} // namespace vantrel
