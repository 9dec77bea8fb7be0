#include "AdapterSession.h"

#include "DeviceCheck.h"
#include "protocol/MasterRecord.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace quillon::cli {

namespace {

// The library reports every outcome itself within its time-out; these margins only keep
// the tool from waiting for ever should a notification never come.
constexpr int kReplyGuardMarginMs = 2000;
// Opening may take more than one time-out (the adapter's opening check can be repeated).
constexpr int kOpenGuardTimeOuts = 4;
constexpr int kCloseGuardMs = 2000;

// The COM number through which a device path given with -d reaches the library: the
// highest of the panel's numbers whose VANTREL_COM<n> is not set, so no mapping the user
// made is shadowed. The library reads the variable at every opening.
constexpr int kHighestComPort = 9;

int FreeComPort() {
    for (int n = kHighestComPort; n >= 1; --n) {
        if (!qEnvironmentVariableIsSet(QByteArray("VANTREL_COM" + QByteArray::number(n)))) {
            return n;
        }
    }
    return kHighestComPort; // all set: ours wins in this process only
}

// A text the library copies out, such as VantrelGetOpenError's, whatever its length.
QString LibraryText(uint32_t (*get)(char*, uint32_t)) {
    QByteArray text(static_cast<qsizetype>(get(nullptr, 0)) + 1, '\0');
    const uint32_t length = get(text.data(), static_cast<uint32_t>(text.size()));
    text.truncate(std::min<qsizetype>(length, text.size() - 1));
    return QString::fromLocal8Bit(text);
}

} // namespace

AdapterSession::AdapterSession(const Target& target, uint16_t timeOutMs)
    : target_(target), timeOutMs_(timeOutMs), extraReplies_([this](uintptr_t, intptr_t arg) {
          OnReply(Reply::Confirmed, static_cast<uint8_t>(arg));
      }) {
    vantrel_ = std::make_unique<TVantrel>(nullptr);
    Wire();
    keypad_ = std::make_unique<quillon::adapter::KeypadPress>(*vantrel_);
    vantrel_->setTimeOut(timeOutMs_);
    if (target_.kind == Target::Kind::Device) {
        const int n = FreeComPort();
        qputenv(QByteArray("VANTREL_COM" + QByteArray::number(n)),
                QFile::encodeName(target_.device));
        vantrel_->setComport(n);
    } else {
        vantrel_->setComport(target_.comPort);
    }
}

AdapterSession::~AdapterSession() {
    Close();
}

void AdapterSession::Wire() {
    vantrel_->OnOpen = [this](QObject*, uint8_t) { Wake(); };
    vantrel_->OnGetVersion = [this](QObject*, const char* text) {
        version_ = QString::fromLatin1(text);
        versionSeen_ = true;
        Wake();
    };
    vantrel_->OnTimeOut = [this](QObject*) {
        if (opening_) {
            openFailed_ = true;
        } else {
            OnReply(Reply::TimedOut);
        }
        // The library closes a lost link before it reports the command that was waiting.
        if (!opening_ && !vantrel_->IsConnected() && open_ && !closing_) {
            lost_ = true;
        }
        Wake();
    };
    // A close we did not ask for is a lost port.
    vantrel_->OnClose = [this](QObject*) {
        (closing_ ? closed_ : lost_) = true;
        Wake();
    };
    // A port write's interrupt type, the address read, changed or saved: each confirms the
    // command that waits, with the byte the adapter answered.
    const auto confirmed = [this](QObject*, uint8_t value) { OnReply(Reply::Confirmed, value); };
    vantrel_->OnWriteI2CRegs = confirmed;
    vantrel_->OnSlvAdrRead = confirmed;
    vantrel_->OnSlvAdrOP = confirmed;
    vantrel_->OnI2CDataAvail = [this](QObject*, TI2CData data) {
        if (!watching_ && !masterHandler_) {
            return;
        }
        MasterWrite write;
        write.at = QDateTime::currentDateTime();
        write.msSinceStart = watching_ ? watchClock_.elapsed() : 0;
        using quillon::protocol::MasterRecord;
        write.port = data[MasterRecord::kPortOffset];
        const std::size_t count = MasterRecord::Count(data.data());
        if (count > 0) {
            const auto bytes = data.begin() + MasterRecord::kBytesOffset;
            write.bytes.assign(bytes, bytes + static_cast<std::ptrdiff_t>(count));
        } else {
            write.bytes.assign(1, write.port);
        }
        write.notForwarded = NotForwarded();
        if (masterHandler_) {
            masterHandler_(write);
        }
        if (watching_) {
            masterWrites_.push_back(std::move(write));
        }
        Wake();
    };
}

void AdapterSession::OnReply(Reply reply, uint8_t value) {
    if (outstanding_ <= static_cast<int>(replies_.size())) {
        return; // an answer to nothing the tool sent
    }
    replies_.push_back({reply, value});
    Wake();
}

void AdapterSession::DropReplies() {
    outstanding_ = 0;
    replies_.clear();
}

std::optional<QString> AdapterSession::DeviceProblem(const Target& target) {
    if (target.kind != Target::Kind::Device) {
        return std::nullopt;
    }
    if (const auto problem = DeviceCheck::Problem(target.device)) {
        return QStringLiteral("cannot open %1: %2").arg(target.device, *problem);
    }
    return std::nullopt;
}

AdapterSession::Outcome AdapterSession::Open(QString& detail) {
    opening_ = true;
    QElapsedTimer opening;
    opening.start();
    vantrel_->Connect(true);
    const QDeadlineTimer guard(kOpenGuardTimeOuts * timeOutMs_ + kReplyGuardMarginMs);
    const WaitEnd end = Await([this] { return versionSeen_ || openFailed_; }, guard, OnStop::End);
    const qint64 failedAfterMs = opening.elapsed();
    opening_ = false;
    if (end == WaitEnd::Ready && versionSeen_) {
        open_ = true;
        return Outcome::Done;
    }
    if (!openFailed_) {
        // Stopped, or the library never said: abandon the opening.
        closing_ = true;
        vantrel_->Connect(false);
        Await([this] { return closed_; }, QDeadlineTimer(kCloseGuardMs), OnStop::Continue);
        closing_ = false;
    }
    if (end == WaitEnd::Stopped) {
        return Outcome::Stopped;
    }
    // The library keeps why a device would not open. Without such a reason, the opening
    // check went unanswered: silence takes a time-out (its timer may fire a few per cent
    // early), while a port that closed under us is reported at once.
    openError_ = LibraryText(VantrelGetOpenError);
    if (!openError_.isEmpty()) {
        detail = QStringLiteral("cannot open %1: %2").arg(PortName(), openError_);
        return Outcome::CannotOpen;
    }
    if (openFailed_ && failedAfterMs < timeOutMs_ / 2) {
        detail = QStringLiteral("%1: the port closed under us during the opening check (device "
                                "unplugged or hung up)")
                     .arg(PortName());
        return Outcome::Lost;
    }
    detail = QStringLiteral("no answer from the adapter on %1 within %2 ms (is it powered and "
                            "running its firmware?)")
                 .arg(PortName())
                 .arg(timeOutMs_);
    return Outcome::NoAnswer;
}

QString AdapterSession::PortName() const {
    if (target_.kind == Target::Kind::Device) {
        return target_.device;
    }
    const QString device = LibraryText(VantrelGetOpenPath);
    if (device.isEmpty()) {
        return target_.Describe();
    }
    return QStringLiteral("%1 (%2)").arg(target_.Describe(), device);
}

void AdapterSession::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    if (lost_) {
        return;
    }
    closing_ = true;
    vantrel_->Connect(false);
    Await([this] { return closed_; }, QDeadlineTimer(kCloseGuardMs), OnStop::Continue);
}

AdapterSession::Outcome AdapterSession::Issued(uint8_t status) {
    switch (status) {
    case VANTREL_STATUS_SENT:
        ++outstanding_;
        return Outcome::Done;
    case VANTREL_STATUS_PORT_CLOSED:
        // The library can refuse a command on a port that closed under us before its close
        // notice reaches us. We never asked for that close, so the port is lost now: a session
        // must end on this line, not run the next one and report the loss a second time.
        if (open_ && !closing_) {
            lost_ = true;
        }
        return lost_ ? Outcome::Lost : Outcome::PortClosed;
    case VANTREL_STATUS_BUSY:
        return Outcome::Busy;
    default:
        return Outcome::Refused;
    }
}

AdapterSession::Outcome AdapterSession::IssueWrite(std::span<const uint8_t> bytes,
                                                   uint8_t intType) {
    return Issued(vantrel_->WriteI2CRegs(bytes, intType));
}

AdapterSession::Outcome AdapterSession::AwaitReply(OnStop onStop) {
    const QDeadlineTimer guard(timeOutMs_ + kReplyGuardMarginMs);
    const WaitEnd end = Await([this] { return !replies_.empty(); }, guard, onStop);
    switch (end) {
    case WaitEnd::Ready:
        break;
    case WaitEnd::Deadline:
        DropReplies();
        return Outcome::NoReply;
    case WaitEnd::Lost:
        DropReplies();
        return Outcome::Lost;
    case WaitEnd::Stopped:
        return Outcome::Stopped; // still pending: a later wait may collect it
    }
    const Answer answer = replies_.front();
    replies_.pop_front();
    --outstanding_;
    replyValue_ = answer.value;
    if (answer.reply == Reply::TimedOut) {
        return lost_ ? Outcome::Lost : Outcome::NoReply;
    }
    return Outcome::Done;
}

AdapterSession::Outcome AdapterSession::Write(std::span<const uint8_t> bytes, uint8_t intType) {
    const Outcome issued = IssueWrite(bytes, intType);
    return issued == Outcome::Done ? AwaitReply(OnStop::End) : issued;
}

AdapterSession::Outcome AdapterSession::ReadAddress(uint8_t& address) {
    Outcome outcome = Issued(vantrel_->ReadSlvAdr());
    if (outcome == Outcome::Done) {
        outcome = AwaitReply(OnStop::End);
    }
    if (outcome == Outcome::Done) {
        address = replyValue_;
    }
    return outcome;
}

// The component's event tells only which operation was confirmed; the address the reply
// carried is the library's.
AdapterSession::Outcome AdapterSession::ChangeAddress(uint8_t address, uint8_t& confirmed) {
    Outcome outcome = Issued(vantrel_->ChangeSlvAdr(address));
    if (outcome == Outcome::Done) {
        outcome = AwaitReply(OnStop::End);
    }
    if (outcome == Outcome::Done) {
        confirmed = VantrelGetAddressReply();
    }
    return outcome;
}

AdapterSession::Outcome AdapterSession::SaveAddress(uint8_t& confirmed) {
    Outcome outcome = Issued(vantrel_->SaveSlvAdr());
    if (outcome == Outcome::Done) {
        outcome = AwaitReply(OnStop::End);
    }
    if (outcome == Outcome::Done) {
        confirmed = VantrelGetAddressReply();
    }
    return outcome;
}

AdapterSession::Outcome AdapterSession::Pacing(uint8_t request, uint8_t& inEffect) {
    Outcome outcome = Issued(VantrelSetPacing(request));
    if (outcome == Outcome::Done) {
        outcome = AwaitReply(OnStop::End);
    }
    if (outcome == Outcome::Done) {
        inEffect = replyValue_;
    }
    return outcome;
}

AdapterSession::Outcome AdapterSession::ReadCounters(Counters& counters) {
    Outcome outcome = Issued(VantrelAskCounters());
    if (outcome == Outcome::Done) {
        outcome = AwaitReply(OnStop::End);
    }
    if (outcome == Outcome::Done) {
        // The library keeps the counters of the last reply, which is this command's: one
        // command at a time.
        VantrelGetCounters(counters.data());
    }
    return outcome;
}

uint32_t AdapterSession::NotForwarded() {
    return VantrelGetNotForwarded();
}

AdapterSession::Outcome AdapterSession::WaitUntil(const QDeadlineTimer& deadline, OnStop onStop) {
    return AfterWait(Await([] { return false; }, deadline, onStop));
}

AdapterSession::Outcome AdapterSession::WaitFor(const std::function<bool()>& ready,
                                                const QDeadlineTimer& deadline, OnStop onStop) {
    return AfterWait(Await(ready, deadline, onStop));
}

QDateTime AdapterSession::StartWatching() {
    masterWrites_.clear();
    watching_ = true;
    watchClock_.start();
    return QDateTime::currentDateTime();
}

void AdapterSession::StopWatching() {
    watching_ = false;
    masterWrites_.clear();
}

AdapterSession::Outcome AdapterSession::WaitForMasterWrite(const QDeadlineTimer& deadline) {
    return AfterWait(Await([this] { return !masterWrites_.empty(); }, deadline, OnStop::End));
}

AdapterSession::Outcome AdapterSession::AfterWait(WaitEnd end) {
    switch (end) {
    case WaitEnd::Lost:
        return Outcome::Lost;
    case WaitEnd::Stopped:
        return Outcome::Stopped;
    default:
        return Outcome::Done;
    }
}

void AdapterSession::RequestStop(int exitStatus) {
    if (stopStatus_ == 0) {
        stopStatus_ = exitStatus;
    }
    Wake();
}

AdapterSession::WaitEnd AdapterSession::Await(const std::function<bool()>& ready,
                                              const QDeadlineTimer& deadline, OnStop onStop) {
    for (;;) {
        if (ready()) {
            return WaitEnd::Ready;
        }
        if (lost_) {
            return WaitEnd::Lost;
        }
        if (onStop == OnStop::End && stopStatus_ != 0) {
            return WaitEnd::Stopped;
        }
        if (deadline.hasExpired()) {
            return WaitEnd::Deadline;
        }
        RunLoop(deadline);
    }
}

void AdapterSession::RunLoop(const QDeadlineTimer& deadline) {
    QEventLoop loop;
    QTimer timer;
    if (!deadline.isForever()) {
        // Precise: a switch's hold time is measured by this timer.
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
    }
    QEventLoop* outer = loop_;
    loop_ = &loop;
    loop.exec();
    loop_ = outer;
}

void AdapterSession::Wake() {
    if (loop_) {
        loop_->quit();
    }
}

} // namespace quillon::cli
