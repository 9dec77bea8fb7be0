#include "NotificationLog.h"

NotificationLog::NotificationLog(uint32_t message) : message_(message) {
    clock.start();
    quillon::platform::TApplicationWindow::Instance().HookMainWindow(this);
}

NotificationLog::~NotificationLog() {
    quillon::platform::TApplicationWindow::Instance().UnhookMainWindow(this);
}

bool NotificationLog::HookMessage(quillon::platform::TMessage& msg) {
    if (msg.Msg != message_) {
        return false;
    }
    if (inCall) {
        ++deliveredInsideCall;
    }
    codes << msg.WParam;
    args << msg.LParam;
    times << clock.elapsed();
    if (msg.WParam == VANTREL_NOTIFY_MASTER_DATA) {
        Record record{};
        GetI2CData(record.data());
        records << record;
    } else if (msg.WParam == VANTREL_NOTIFY_VERSION) {
        versions << QByteArray(GetVersion());
    }
    return true;
}

void NotificationLog::Clear() {
    codes.clear();
    args.clear();
    records.clear();
    versions.clear();
    times.clear();
}
