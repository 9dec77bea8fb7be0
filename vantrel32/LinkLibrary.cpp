#include "LinkLibrary.h"

#include "LinkTrace.h"
#include "SerialLink.h"
#include "VantrelExtras.h"
#include "platform/core/ApplicationWindow.h"
#include "protocol/CommandTable.h"
#include "protocol/MasterRecord.h"
#include "protocol/ProtocolCodec.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>

namespace quillon::link {

using protocol::ProtocolCodec;

namespace {

// The adapter's reply to a command is passed on as its notification code, and the write's
// reply code counts up with the interrupt type: the two sets of numbers must agree.
static_assert(int{ProtocolCodec::RepWrite} == VANTREL_NOTIFY_WRITTEN);
static_assert(int{ProtocolCodec::RepWrite} + VANTREL_INT_LINE1 == VANTREL_NOTIFY_WRITTEN_INT1);
static_assert(int{ProtocolCodec::RepWrite} + VANTREL_INT_LINE2 == VANTREL_NOTIFY_WRITTEN_INT2);
static_assert(int{ProtocolCodec::RepAddress} == VANTREL_NOTIFY_ADDRESS_READ);
static_assert(int{ProtocolCodec::RepChanged} == VANTREL_NOTIFY_ADDRESS_CHANGED);
static_assert(int{ProtocolCodec::RepSaved} == VANTREL_NOTIFY_ADDRESS_SAVED);
static_assert(int{ProtocolCodec::MasterData} == VANTREL_NOTIFY_MASTER_DATA);
static_assert(VANTREL_INT_LINE2 == protocol::kMaxInterruptType);
static_assert(VANTREL_I2C_DATA_SIZE == protocol::MasterRecord::kSize);
static_assert(int{ProtocolCodec::RepPacing} == VANTREL_NOTIFY_PACING);
static_assert(int{ProtocolCodec::RepCounters} == VANTREL_NOTIFY_COUNTERS);
static_assert(VANTREL_PACING_RELEASE == static_cast<int>(protocol::Pacing::Release));
static_assert(VANTREL_PACING_HOLD == static_cast<int>(protocol::Pacing::Hold));
static_assert(VANTREL_PACING_ASK == protocol::kPacingAsk);
static_assert(VANTREL_COUNTER_COUNT == protocol::kCounterCount);
static_assert(VANTREL_COUNTER_NOT_FORWARDED == static_cast<int>(protocol::Counter::NotForwarded));
static_assert(VANTREL_COUNTER_LONGEST_HOLD_US ==
              static_cast<int>(protocol::Counter::LongestHoldUs));
} // namespace

LinkLibrary& LinkLibrary::Instance() {
    // Never destroyed: a host that exits without VantrelDestroy must not meet a QThread
    // destructor on a running thread during static teardown.
    static LinkLibrary* instance = new LinkLibrary;
    return *instance;
}

uint32_t LinkLibrary::Create() {
    std::lock_guard lock(mutex_);
    if (refs_++ > 0) {
        return message_;
    }
    if (QCoreApplication::instance()) {
        message_ = quillon::platform::TApplicationWindow::Instance().RegisterWindowMessage(
            QStringLiteral("Vantrel32.Notify"));
    }
    LinkTrace::Configure();
    state_ = std::make_shared<LinkState>(message_);
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("Vantrel32 link"));
    link_ = new SerialLink(state_);
    link_->moveToThread(thread_);
    // The link and its port die on their own thread once its loop has ended.
    QObject::connect(thread_, &QThread::finished, link_, &QObject::deleteLater);
    StartLinkThread();
    return message_;
}

void LinkLibrary::StartLinkThread() {
    // The first command may follow at once, and waking the thread's event loop needs the
    // loop's machinery, which the new thread builds itself before it says it has started.
    // Waiting for that here, through a lock the thread checker can see (Qt's own cannot be
    // seen), keeps the hand-over ordered; it takes well under a millisecond.
    struct Started {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto started = std::make_shared<Started>();
    QObject::connect(
        thread_, &QThread::started, thread_,
        [started] {
            std::lock_guard lock(started->mutex);
            started->done = true;
            started->cv.notify_all();
        },
        Qt::DirectConnection);
    thread_->start();
    std::unique_lock lock(started->mutex);
    started->cv.wait_for(lock, std::chrono::milliseconds(kThreadStartMs),
                         [&] { return started->done; });
}

void LinkLibrary::Destroy() {
    std::lock_guard lock(mutex_);
    if (refs_ == 0 || --refs_ > 0) {
        return;
    }
    // Nothing more reaches the window: a later instance must not see this one's notices.
    state_->Detach();
    SerialLink* link = link_;
    QThread* thread = thread_;
    link->Queue([link] {
        link->Shutdown();
        QThread::currentThread()->quit();
    });
    if (thread->wait(kThreadStopMs)) {
        delete thread;
    }
    // else: a thread stuck in the system is left behind rather than blocking the caller;
    // it deletes the link itself when it ends.
    link_ = nullptr;
    thread_ = nullptr;
    state_.reset();
}

void LinkLibrary::Connect(bool open) {
    std::lock_guard lock(mutex_);
    if (!link_) {
        return;
    }
    SerialLink* link = link_;
    if (open) {
        const uint64_t generation = state_->BeginOpen();
        if (generation == 0) {
            return; // opening or open already
        }
        // The device is looked up on the link thread: numbering new ports reads the system's
        // port list and writes the user's configuration, which the caller must not wait for.
        const int32_t comPort = comPort_.load();
        const uint16_t timeOut = timeOut_.load();
        link->Queue(
            [link, generation, comPort, timeOut] { link->Open(generation, comPort, timeOut); });
    } else {
        state_->BeginClose();
        link->Queue([link] { link->Close(); });
    }
}

bool LinkLibrary::IsConnected() const {
    std::lock_guard lock(mutex_);
    return state_ && state_->IsOpen();
}

uint8_t LinkLibrary::WriteRegs(const uint8_t* data, int32_t lastIndex, uint8_t intType) {
    if (data == nullptr || lastIndex < 0 || lastIndex >= protocol::kMaxWriteData ||
        intType > protocol::kMaxInterruptType) {
        return VANTREL_STATUS_INVALID;
    }
    // The caller's area is valid only during this call: copy it now.
    std::vector<uint8_t> payload;
    payload.reserve(static_cast<std::size_t>(lastIndex) + 2);
    payload.push_back(intType);
    payload.insert(payload.end(), data, data + lastIndex + 1);
    return Command(ProtocolCodec::CmdWrite, payload);
}

uint8_t LinkLibrary::ReadAddress() {
    return Command(ProtocolCodec::CmdReadAddress, {});
}

uint8_t LinkLibrary::ChangeAddress(uint8_t address) {
    return Command(ProtocolCodec::CmdChangeAddress, {address});
}

uint8_t LinkLibrary::SaveAddress() {
    return Command(ProtocolCodec::CmdSaveAddress, {});
}

uint8_t LinkLibrary::Pacing(uint8_t pacing) {
    if (!protocol::IsPacingPayload(pacing)) {
        return VANTREL_STATUS_INVALID;
    }
    return Command(ProtocolCodec::CmdPacing, {pacing});
}

uint8_t LinkLibrary::AskCounters() {
    return Command(ProtocolCodec::CmdCounters, {});
}

uint8_t LinkLibrary::Command(uint8_t code, const std::vector<uint8_t>& payload) {
    const uint8_t reply = protocol::ReplyTo(*protocol::FindCommand(code), payload.data());
    std::lock_guard lock(mutex_);
    if (!link_) {
        return VANTREL_STATUS_PORT_CLOSED;
    }
    uint8_t seq = 0;
    const uint8_t status = state_->ReserveCommand(seq);
    if (status != VANTREL_STATUS_SENT) {
        return status;
    }
    std::vector<uint8_t> frame;
    ProtocolCodec::Encode(seq, code, payload.data(), payload.size(), frame);
    SerialLink* link = link_;
    const uint16_t timeOut = timeOut_.load();
    link->Queue([link, seq, reply, frame = std::move(frame), timeOut] {
        link->Send(seq, reply, frame, timeOut);
    });
    return VANTREL_STATUS_SENT;
}

void LinkLibrary::TakeMasterData(uint8_t* out) {
    std::lock_guard lock(mutex_);
    if (state_) {
        state_->TakeRecord(out);
    } else {
        std::fill_n(out, VANTREL_I2C_DATA_SIZE, uint8_t{0});
    }
}

void LinkLibrary::TakeCounters(uint32_t* out) {
    std::lock_guard lock(mutex_);
    const LinkState::Counters counters = state_ ? state_->LastCounters() : LinkState::Counters{};
    std::copy(counters.begin(), counters.end(), out);
}

uint32_t LinkLibrary::NotForwarded() {
    std::lock_guard lock(mutex_);
    return state_ ? state_->NotForwarded() : 0;
}

uint8_t LinkLibrary::AddressReply() {
    std::lock_guard lock(mutex_);
    return state_ ? state_->AddressReply() : 0;
}

std::string LinkLibrary::OpenError() {
    std::lock_guard lock(mutex_);
    return state_ ? state_->OpenError() : std::string();
}

std::string LinkLibrary::OpenPath() {
    std::lock_guard lock(mutex_);
    return state_ ? state_->OpenPath() : std::string();
}

uint32_t LinkLibrary::RecordsDropped() {
    std::lock_guard lock(mutex_);
    return state_ ? state_->RecordsDropped() : LinkState::TotalRecordsDropped();
}

const char* LinkLibrary::Version() {
    std::lock_guard lock(mutex_);
    const std::string text = state_ ? state_->Version() : std::string();
    const std::size_t size = std::min(text.size(), version_.size() - 1);
    std::copy_n(text.begin(), size, version_.begin());
    version_[size] = '\0';
    return version_.data();
}

} // namespace quillon::link
