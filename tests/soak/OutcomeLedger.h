#pragma once

#include "platform/core/ApplicationWindow.h"
#include "MasterPattern.h"

#include <QStringList>

#include <cstdint>
#include <deque>
#include <optional>

// Watches every notification of the adapter library and holds it to the contract: each
// command that returned status 0 gets exactly one outcome (its reply or a time-out), before
// any close; master data arrives whole and in order. Breaches are collected as faults.
class OutcomeLedger final : public quillon::platform::IMessageHook {
public:
    explicit OutcomeLedger(uint32_t message);
    ~OutcomeLedger();

    bool HookMessage(quillon::platform::TMessage& msg) override;

    // A command returned status 0 and now waits for the reply with this code.
    void Expect(uintptr_t replyCode) { waiting_.push_back(replyCode); }
    void Opening() { opening_ = true; }

    bool Waiting() const { return !waiting_.empty(); }
    bool IsOpening() const { return opening_; }
    bool IsOpen() const { return open_; }

    QStringList faults;
    // Set around library calls: a notification delivered inside one is a fault.
    bool inCall = false;

    int opened = 0;
    int openFailures = 0;
    int closed = 0;
    int replies = 0;
    int timeOuts = 0;
    int masterRecords = 0;
    // The argument of the last 'a', 'c' or 's'.
    uint8_t lastAddress = 0;
    uintptr_t lastCode = 0;

private:
    void Fault(const QString& text);
    void TakeMasterData();

    uint32_t message_;
    std::deque<uintptr_t> waiting_;
    bool opening_ = false;
    bool open_ = false;
    std::optional<uint16_t> lastSerial_;
};
