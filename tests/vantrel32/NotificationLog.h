#pragma once

#include "platform/core/ApplicationWindow.h"
#include "vantrel32/Vantrel32.h"

#include <QElapsedTimer>
#include <QList>
#include <QVector>

#include <array>
#include <cstdint>

// Collects the library's notifications as the application window delivers them, and what
// a handler would fetch inside them (GetI2CData for 'i', GetVersion for 'v').
class NotificationLog final : public quillon::platform::IMessageHook {
public:
    using Record = std::array<uint8_t, VANTREL_I2C_DATA_SIZE>;

    explicit NotificationLog(uint32_t message);
    ~NotificationLog();

    bool HookMessage(quillon::platform::TMessage& msg) override;

    // Set around every library call: a notification delivered inside one is a fault.
    bool inCall = false;
    int deliveredInsideCall = 0;

    QList<uintptr_t> codes;
    QList<intptr_t> args;
    QVector<Record> records;
    QList<QByteArray> versions;
    // Milliseconds on clock at each delivery.
    QList<qint64> times;
    QElapsedTimer clock;

    int Count(uintptr_t code) const { return static_cast<int>(codes.count(code)); }
    void Clear();

private:
    uint32_t message_;
};
