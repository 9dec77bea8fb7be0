#include "OutcomeLedger.h"

#include "vantrel32/Vantrel32.h"

OutcomeLedger::OutcomeLedger(uint32_t message) : message_(message) {
    quillon::platform::TApplicationWindow::Instance().HookMainWindow(this);
}

OutcomeLedger::~OutcomeLedger() {
    quillon::platform::TApplicationWindow::Instance().UnhookMainWindow(this);
}

void OutcomeLedger::Fault(const QString& text) {
    // The first few tell the story; a broken invariant tends to repeat for every frame.
    if (faults.size() < 50) {
        faults << text;
    }
}

bool OutcomeLedger::HookMessage(quillon::platform::TMessage& msg) {
    if (msg.Msg != message_) {
        return false;
    }
    const uintptr_t code = msg.WParam;
    lastCode = code;
    if (inCall) {
        Fault(QStringLiteral("notification %1 delivered inside a library call").arg(code));
    }
    switch (code) {
    case VANTREL_NOTIFY_OPENED:
        if (!opening_) {
            Fault(QStringLiteral("opened without an opening"));
        }
        opening_ = false;
        open_ = true;
        ++opened;
        break;
    case VANTREL_NOTIFY_VERSION:
        if (!open_) {
            Fault(QStringLiteral("version while not open"));
        }
        break;
    case VANTREL_NOTIFY_TIMEOUT:
        if (!waiting_.empty()) {
            waiting_.pop_front();
            ++timeOuts;
        } else if (opening_) {
            opening_ = false;
            ++openFailures;
        } else {
            Fault(QStringLiteral("time-out with no command waiting and no opening"));
        }
        break;
    case VANTREL_NOTIFY_CLOSED:
        if (!waiting_.empty()) {
            Fault(QStringLiteral("closed while %1 command(s) still had no outcome")
                      .arg(waiting_.size()));
            waiting_.clear();
        }
        opening_ = false;
        open_ = false;
        ++closed;
        break;
    case VANTREL_NOTIFY_WRITTEN:
    case VANTREL_NOTIFY_WRITTEN_INT1:
    case VANTREL_NOTIFY_WRITTEN_INT2:
    case VANTREL_NOTIFY_ADDRESS_READ:
    case VANTREL_NOTIFY_ADDRESS_CHANGED:
    case VANTREL_NOTIFY_ADDRESS_SAVED:
        if (waiting_.empty()) {
            Fault(QStringLiteral("reply '%1' with no command waiting").arg(QChar(char(code))));
        } else {
            if (waiting_.front() != code) {
                Fault(QStringLiteral("reply '%1' for a command that waits for '%2'")
                          .arg(QChar(char(code)), QChar(char(waiting_.front()))));
            }
            waiting_.pop_front();
        }
        lastAddress = uint8_t(msg.LParam);
        ++replies;
        break;
    case VANTREL_NOTIFY_MASTER_DATA:
        TakeMasterData();
        break;
    default:
        Fault(QStringLiteral("unknown notification code %1").arg(code));
        break;
    }
    return true;
}

void OutcomeLedger::TakeMasterData() {
    soak::Record record{};
    GetI2CData(record.data());
    ++masterRecords;
    const std::optional<uint16_t> serial = soak::Decode(record);
    if (!serial) {
        Fault(QStringLiteral("master data record is not one whole write: %1")
                  .arg(QString::fromLatin1(
                      QByteArray(reinterpret_cast<const char*>(record.data()), 24).toHex(' '))));
        return;
    }
    // Writes may be lost with a hang-up, but never repeated or reordered.
    if (lastSerial_) {
        const uint16_t step = uint16_t(*serial - *lastSerial_);
        if (step == 0 || step >= 0x8000) {
            Fault(QStringLiteral("master write %1 after %2: repeated or out of order")
                      .arg(*serial)
                      .arg(*lastSerial_));
        }
    }
    lastSerial_ = serial;
}
