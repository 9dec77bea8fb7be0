#include "SerialLink.h"

#include "ComPortMap.h"
#include "DevicePath.h"
#include "DtrHold.h"
#include "LinkTrace.h"
#include "protocol/CommandTable.h"
#include "protocol/CounterBytes.h"
#include "protocol/FrameFormat.h"
#include "protocol/MasterRecord.h"

#include <algorithm>
#include <string>

namespace quillon::link {

using protocol::LineFormat;
using protocol::ProtocolCodec;

namespace {

// The port names data and stop bits by their count.
static_assert(QSerialPort::Data8 == int{LineFormat::kDataBits});
static_assert(QSerialPort::OneStop == int{LineFormat::kStopBits});

} // namespace

SerialLink::SerialLink(std::shared_ptr<LinkState> state)
    : state_(std::move(state)), port_(this), replyTimer_(this), idleTimer_(this),
      repeatTimer_(this) {
    // A coarse timer may fire a few per cent early: a time-out or the line-idle rule must
    // never cut a reply short.
    replyTimer_.setTimerType(Qt::PreciseTimer);
    idleTimer_.setTimerType(Qt::PreciseTimer);
    replyTimer_.setSingleShot(true);
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(LineFormat::kLineIdleMs);
    repeatTimer_.setInterval(kOpeningRepeatMs);
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::OnError);
    connect(&replyTimer_, &QTimer::timeout, this, &SerialLink::OnReplyTimeout);
    connect(&idleTimer_, &QTimer::timeout, this, &SerialLink::OnLineIdle);
    connect(&repeatTimer_, &QTimer::timeout, this, &SerialLink::OnOpeningRepeat);
}

void SerialLink::Queue(std::function<void()> task) {
    // The wake-up is posted under our lock, which RunQueued takes first: whatever Qt
    // allocates for it here is then ordered before the link thread frees it, also for the
    // thread checker, which cannot see Qt's own locks.
    std::lock_guard lock(tasksMutex_);
    const bool wake = tasks_.empty();
    tasks_.push_back(std::move(task));
    if (wake) {
        QMetaObject::invokeMethod(this, "RunQueued", Qt::QueuedConnection);
    }
}

void SerialLink::RunQueued() {
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard lock(tasksMutex_);
        tasks.swap(tasks_);
    }
    for (auto& task : tasks) {
        task();
    }
}

void SerialLink::Open(uint64_t generation, int32_t comPort, uint16_t timeOut) {
    if (!state_->IsCurrent(generation)) {
        return; // closed again before the thread got here
    }
    DropPort();
    const ComPortMap::Target target = ComPortMap::Lookup(comPort);
    const QString path = target.OpenPath();
    LinkTrace::Note(ComPortMap::Hint(target));
    path_ = path;
    state_->OpeningTo(generation, path.toStdString());
    port_.setPortName(path);
    port_.setBaudRate(static_cast<qint32>(LineFormat::kBaud));
    port_.setDataBits(QSerialPort::DataBits(LineFormat::kDataBits));
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::StopBits(LineFormat::kStopBits));
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const int numbered = target.source == ComPortMap::Source::Numbered ? comPort : 0;
        const QString reason =
            DevicePath::OpenReason(port_.error(), path, port_.errorString(), numbered);
        LinkTrace::Error(QStringLiteral("Vantrel32: cannot open %1: %2").arg(path, reason));
        port_.clearError();
        state_->OpeningFailed(generation, reason.toStdString());
        return;
    }
    LinkTrace::Note(QStringLiteral("opened %1").arg(path));
    if (const auto problem = DtrHold::KeepUp(port_)) {
        LinkTrace::Note(QStringLiteral("DTR may drop at closing: %1").arg(*problem));
    }
    // Whatever the line held before we came is not for us.
    port_.clear();
    generation_ = generation;
    opening_ = true;
    openingSeqs_.reset();
    SendOpeningCheck();
    // The time-out counts from the first V: repeating it does not extend the opening.
    Await(awaitSeq_, ProtocolCodec::RepVersion, timeOut);
    if (port_.isOpen()) {
        repeatTimer_.start();
    }
}

void SerialLink::SendOpeningCheck() {
    const uint8_t seq = state_->NextSeq();
    if (openingSeqs_.test(seq)) {
        // Every SEQ has had its V: another would make an answer ambiguous.
        repeatTimer_.stop();
        return;
    }
    openingSeqs_.set(seq);
    if (openingSeqs_.count() == 1) {
        awaitSeq_ = seq;
    }
    Transmit(ProtocolCodec::Encode(seq, ProtocolCodec::CmdVersion));
}

void SerialLink::OnOpeningRepeat() {
    if (!opening_ || !awaiting_ || !port_.isOpen()) {
        repeatTimer_.stop();
        return;
    }
    SendOpeningCheck();
}

void SerialLink::Close() {
    DropPort();
    state_->Closed();
}

void SerialLink::Shutdown() {
    // What was accepted goes out before the port closes.
    if (port_.isOpen() && port_.bytesToWrite() > 0) {
        port_.waitForBytesWritten(kShutdownDrainMs);
    }
    DropPort();
}

void SerialLink::Send(uint8_t seq, uint8_t expectedReply, const std::vector<uint8_t>& frame,
                      uint16_t timeOut) {
    if (!state_->IsWaiting(seq)) {
        return; // the link closed after the command was accepted; its outcome is posted
    }
    if (!port_.isOpen() || opening_ || !state_->IsCurrent(generation_)) {
        state_->Resolve(seq, VANTREL_NOTIFY_TIMEOUT, 0);
        return;
    }
    if (Transmit(frame)) {
        Await(seq, expectedReply, timeOut);
    }
}

void SerialLink::OnReadyRead() {
    const QByteArray bytes = port_.readAll();
    if (bytes.isEmpty()) {
        return;
    }
    codec_.Feed(reinterpret_cast<const uint8_t*>(bytes.constData()),
                static_cast<std::size_t>(bytes.size()));
    DrainFrames();
}

void SerialLink::OnLineIdle() {
    if (!codec_.HasPartial()) {
        return;
    }
    codec_.LineIdle();
    DrainFrames();
}

void SerialLink::DrainFrames() {
    ProtocolCodec::Frame frame;
    // The handlers may close the port (a time-out during opening): stop reading then.
    while (port_.isOpen() && codec_.Next(frame)) {
        TraceGarbage();
        HandleFrame(frame);
    }
    TraceGarbage();
    if (port_.isOpen() && codec_.HasPartial()) {
        idleTimer_.start();
    } else {
        idleTimer_.stop();
    }
}

void SerialLink::TraceGarbage() {
    if (codec_.Discarded() != discardedSeen_) {
        LinkTrace::Note(QStringLiteral("RX dropped %1 byte(s) of garbage")
                            .arg(codec_.Discarded() - discardedSeen_));
        discardedSeen_ = codec_.Discarded();
    }
}

void SerialLink::HandleFrame(const ProtocolCodec::Frame& frame) {
    if (LinkTrace::Enabled()) {
        std::vector<uint8_t> raw;
        ProtocolCodec::Encode(frame.seq, frame.code, frame.payload.data(), frame.length, raw);
        LinkTrace::Frame("RX", raw.data(), raw.size());
        LinkTrace::Describe("RX", frame.code, frame.payload.data(), frame.length);
    }
    if (frame.seq == ProtocolCodec::kUnsolicitedSeq) {
        HandleUnsolicited(frame);
    } else {
        HandleReply(frame);
    }
}

void SerialLink::HandleReply(const ProtocolCodec::Frame& frame) {
    const bool awaited = opening_ ? openingSeqs_.test(frame.seq) : frame.seq == awaitSeq_;
    if (!awaiting_ || !awaited || frame.code != awaitCode_ ||
        !protocol::ReplySizeFits(frame.code, frame.length) || !ReplyValueFits(frame)) {
        LinkTrace::Note(
            QStringLiteral("RX frame dropped: no command waits for it, or it does not fit"));
        return;
    }
    awaiting_ = false;
    replyTimer_.stop();
    if (opening_) {
        opening_ = false;
        repeatTimer_.stop();
        const std::string version(frame.begin(), frame.end());
        state_->OpeningAnswered(generation_, version);
        return;
    }
    if (frame.code == ProtocolCodec::RepCounters) {
        LinkState::Counters counters{};
        for (std::size_t i = 0; i < counters.size(); ++i) {
            counters[i] =
                protocol::CounterBytes::Read(frame.payload.data() + i * protocol::kCounterSize);
        }
        state_->ResolveCounters(frame.seq, counters);
        return;
    }
    const intptr_t arg = frame.length > 0 ? frame.payload[0] : 0;
    state_->Resolve(frame.seq, frame.code, arg);
}

bool SerialLink::ReplyValueFits(const ProtocolCodec::Frame& frame) {
    // The pacing in effect is one of the two settings; "ask" is no setting.
    if (frame.code == ProtocolCodec::RepPacing) {
        return frame.payload[0] != protocol::kPacingAsk &&
               protocol::IsPacingPayload(frame.payload[0]);
    }
    return true;
}

void SerialLink::HandleUnsolicited(const ProtocolCodec::Frame& frame) {
    // An adapter newer than this library may send codes it does not know: they are dropped,
    // and the link works on as before.
    if (frame.code == ProtocolCodec::NotForwarded && frame.length == protocol::kNotForwardedSize) {
        state_->NotForwardedReported(generation_,
                                     protocol::CounterBytes::Read(frame.payload.data()));
        return;
    }
    if (frame.code != ProtocolCodec::MasterData || frame.length < protocol::kMinMasterData) {
        LinkTrace::Note(QStringLiteral("RX unsolicited frame dropped"));
        return;
    }
    LinkState::Record record{};
    protocol::MasterRecord::Fill(frame.payload.data(), frame.length, record.data());
    state_->PushRecord(generation_, record);
}

bool SerialLink::Transmit(const std::vector<uint8_t>& frame) {
    LinkTrace::Frame("TX", frame.data(), frame.size());
    if (LinkTrace::Enabled()) {
        LinkTrace::Describe("TX", frame[ProtocolCodec::kCodeOffset],
                            frame.data() + ProtocolCodec::kHeaderSize,
                            frame.size() - ProtocolCodec::kHeaderSize - ProtocolCodec::kCrcSize);
    }
    const qint64 written =
        port_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
    if (written != static_cast<qint64>(frame.size())) {
        LoseDevice();
        return false;
    }
    // Hand the bytes to the system now: the time-out counts from here.
    port_.flush();
    return true;
}

void SerialLink::Await(uint8_t seq, uint8_t expectedReply, uint16_t timeOut) {
    if (!port_.isOpen()) {
        return; // the write found the device gone
    }
    awaiting_ = true;
    awaitSeq_ = seq;
    awaitCode_ = expectedReply;
    replyTimer_.start(timeOut);
}

void SerialLink::OnReplyTimeout() {
    if (!awaiting_) {
        return;
    }
    awaiting_ = false;
    LinkTrace::Note(QStringLiteral("no reply to SEQ %1").arg(awaitSeq_));
    if (opening_) {
        opening_ = false;
        const uint64_t generation = generation_;
        DropPort();
        state_->OpeningFailed(generation);
        return;
    }
    state_->Resolve(awaitSeq_, VANTREL_NOTIFY_TIMEOUT, 0);
}

void SerialLink::OnError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::NotOpenError:
        return;
    default:
        break;
    }
    if (!port_.isOpen()) {
        return; // an opening failure: Open() reports it
    }
    LinkTrace::Note(QStringLiteral("device lost: %1").arg(port_.errorString()));
    // The port is mid-notification; finish the close once its handler has returned, and stop
    // a hung-up descriptor from flooding us with read errors meanwhile.
    if (lossQueued_) {
        return;
    }
    lossQueued_ = true;
    const uint64_t generation = generation_;
    Queue([this, generation] {
        lossQueued_ = false;
        if (generation == generation_) {
            LoseDevice();
        }
    });
}

void SerialLink::LoseDevice() {
    if (!port_.isOpen()) {
        return;
    }
    const uint64_t generation = generation_;
    DropPort();
    state_->PortLost(generation);
}

void SerialLink::DropPort() {
    replyTimer_.stop();
    idleTimer_.stop();
    repeatTimer_.stop();
    awaiting_ = false;
    opening_ = false;
    openingSeqs_.reset();
    if (port_.isOpen()) {
        if (const auto problem = DtrHold::Close(port_)) {
            LinkTrace::Note(QStringLiteral("DTR may have dropped: %1").arg(*problem));
        }
        LinkTrace::Note(QStringLiteral("closed %1").arg(path_));
    }
    port_.clearError();
    codec_ = ProtocolCodec();
    discardedSeen_ = 0;
}

} // namespace quillon::link
