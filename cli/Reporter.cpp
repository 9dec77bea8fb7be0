#include "Reporter.h"

#include "ExitStatus.h"
#include "PacingText.h"
#include "SlaveAddress.h"
#include "TerminalText.h"
#include "ValueText.h"
#include "vantrel32/VantrelExtras.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <string_view>

namespace quillon::cli {

namespace {

QJsonArray NumberList(std::span<const uint8_t> bytes) {
    QJsonArray list;
    for (uint8_t byte : bytes) {
        list.append(int{byte});
    }
    return list;
}

// Each counter's words in the text line and its JSON key, in the library's order.
struct CounterName {
    std::string_view text;
    std::string_view key;
};
constexpr CounterName kCounterNames[VANTREL_COUNTER_COUNT] = {
    {"master writes", "master_writes"},     {"master reads", "master_reads"},
    {"address-only", "address_only"},       {"not forwarded", "not_forwarded"},
    {"longest hold us", "longest_hold_us"},
};

// Local time with its UTC offset, to the millisecond: a log line can be matched against
// other logs of the rig whatever their time zone.
QString IsoTime(const QDateTime& at) {
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

Reporter::Reporter(OutputFormat format, FILE* out, FILE* err)
    : format_(format), out_(out), err_(err) {}

void Reporter::Emit(const QString& line, const QJsonObject& object) {
    const QByteArray bytes = format_ == OutputFormat::Json
                                 ? QJsonDocument(object).toJson(QJsonDocument::Compact)
                                 : TerminalText::Escape(line).toUtf8();
    Write(bytes + '\n');
}

void Reporter::Write(const QByteArray& bytes) {
    if (lost_) {
        return;
    }
    errno = 0;
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out_);
    // A script or a log reads the line as it happens, even through a pipe.
    if (std::fflush(out_) != 0 || std::ferror(out_)) {
        // A stream that failed without saying why still failed: EIO is the honest guess.
        LoseOutput(errno != 0 ? errno : EIO);
    }
}

void Reporter::LoseOutput(int error) {
    if (lost_) {
        return;
    }
    lost_ = true;
    lostError_ = error;
    if (outputLost_) {
        outputLost_();
    }
}

void Reporter::MarkOutputClosed() {
    LoseOutput(EBADF);
}

int Reporter::OutputStatus() const {
    if (!lost_) {
        return kExitDone;
    }
    return lostError_ == EPIPE ? kExitSignalBase + SIGPIPE : int{kExitOutputError};
}

void Reporter::ReportOutputFailure() {
    if (!lost_ || lostError_ == EPIPE || failureReported_) {
        return;
    }
    failureReported_ = true;
    // EBADF can only mean there is no standard output at all; the system's words for it
    // ("Bad file descriptor") would send the user looking for a bug in the tool.
    const QString reason = lostError_ == EBADF ? QStringLiteral("it is closed")
                                               : QString::fromLocal8Bit(std::strerror(lostError_));
    ErrorLine(QStringLiteral("cannot write standard output: %1").arg(reason));
}

void Reporter::ErrorLine(const QString& message) {
    const QByteArray line =
        QStringLiteral("quillon-cli: %1\n").arg(TerminalText::Escape(message)).toUtf8();
    // Standard error failing too leaves nowhere to tell it.
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), err_);
    std::fflush(err_);
}

void Reporter::Version(const QString& text) {
    Emit(QStringLiteral("version ") + text, {{"event", "version"}, {"text", text}});
}

void Reporter::Written(std::span<const uint8_t> bytes, uint8_t intType) {
    Emit(QStringLiteral("written %1 int %2").arg(HexList(bytes)).arg(intType),
         {{"event", "written"}, {"bytes", NumberList(bytes)}, {"int", int{intType}}});
}

void Reporter::AddressEvent(const char* event, const char* verb, uint8_t address) {
    const Chip chip = ChipOf(address);
    QJsonObject object{{"event", QLatin1String(event)}, {"address", int{address}}};
    if (chip == Chip::None) {
        object.insert(QStringLiteral("chip"), QJsonValue::Null);
        object.insert(QStringLiteral("pins"), QJsonValue::Null);
    } else {
        object.insert(QStringLiteral("chip"), ChipName(chip));
        object.insert(QStringLiteral("pins"), PinText(address));
    }
    Emit(QStringLiteral("%1 %2 (%3)").arg(QLatin1String(verb), Hex2(address), Describe(address)),
         object);
}

void Reporter::AddressRead(uint8_t address) {
    AddressEvent("address", "address", address);
}

void Reporter::AddressChanged(uint8_t address) {
    AddressEvent("address_changed", "address changed", address);
}

void Reporter::AddressSaved(uint8_t address) {
    AddressEvent("address_saved", "address saved", address);
}

void Reporter::Pressed(const QStringList& switches, uint8_t pattern) {
    Emit(
        QStringLiteral("pressed %1 pattern %2").arg(switches.join(QLatin1Char(' ')), Hex2(pattern)),
        {{"event", "pressed"},
         {"switches", QJsonArray::fromStringList(switches)},
         {"pattern", int{pattern}}});
}

void Reporter::Released(const QStringList& switches, uint8_t pattern, double heldMs) {
    Emit(QStringLiteral("released %1 after %2 ms")
             .arg(switches.join(QLatin1Char(' ')))
             .arg(heldMs, 0, 'f', 1),
         {{"event", "released"},
          {"switches", QJsonArray::fromStringList(switches)},
          {"pattern", int{pattern}},
          {"held_ms", qRound(heldMs * 10.0) / 10.0}});
}

void Reporter::WatchStarted(const QDateTime& at) {
    Emit(QStringLiteral("watch started ") + IsoTime(at),
         {{"event", "watch"}, {"time", IsoTime(at)}});
}

void Reporter::MasterWrite(const QDateTime& at, qint64 msSinceStart, std::span<const uint8_t> bytes,
                           uint8_t port) {
    Emit(QStringLiteral("%1 +%2 master wrote %3 port %4")
             .arg(at.time().toString(QStringLiteral("HH:mm:ss.zzz")))
             .arg(msSinceStart)
             .arg(HexList(bytes), Hex2(port)),
         {{"event", "master"},
          {"time", IsoTime(at)},
          {"ms", msSinceStart},
          {"bytes", NumberList(bytes)},
          {"port", int{port}}});
}

void Reporter::Counters(std::span<const uint32_t> counters) {
    QStringList parts;
    QJsonObject object{{"event", "counters"}};
    for (std::size_t i = 0; i < counters.size() && i < std::size(kCounterNames); ++i) {
        const CounterName& name = kCounterNames[i];
        parts << QStringLiteral("%1 %2")
                     .arg(QLatin1String(name.text.data(), name.text.size()))
                     .arg(counters[i]);
        object.insert(QLatin1String(name.key.data(), name.key.size()), qint64{counters[i]});
    }
    Emit(QStringLiteral("counters ") + parts.join(QStringLiteral(", ")), object);
}

void Reporter::Pacing(uint8_t pacing) {
    Emit(QStringLiteral("pacing ") + PacingName(pacing),
         {{"event", "pacing"}, {"pacing", PacingName(pacing)}});
}

void Reporter::NotForwarded(uint32_t count) {
    Emit(QStringLiteral("master writes not forwarded: %1 in all").arg(count),
         {{"event", "not_forwarded"}, {"count", qint64{count}}});
}

void Reporter::MasterLost(uint32_t count) {
    Emit(QStringLiteral("master writes lost by the tool: %1 in all").arg(count),
         {{"event", "master_lost"}, {"count", qint64{count}}});
}

void Reporter::WatchEnded(qint64 count) {
    Emit(QStringLiteral("watch ended after %1 master writes").arg(count),
         {{"event", "watch_end"}, {"count", count}});
}

void Reporter::Expected(std::span<const uint8_t> bytes, qint64 ms) {
    Emit(QStringLiteral("expected %1 after %2 ms").arg(HexList(bytes)).arg(ms),
         {{"event", "expected"}, {"bytes", NumberList(bytes)}, {"ms", ms}});
}

void Reporter::Error(int exitStatus, const QString& message, const QJsonObject& extra) {
    ErrorLine(message);
    if (format_ == OutputFormat::Json) {
        QJsonObject object = extra;
        object.insert(QStringLiteral("event"), QStringLiteral("error"));
        object.insert(QStringLiteral("status"), exitStatus);
        object.insert(QStringLiteral("message"), TerminalText::Valid(message));
        Emit({}, object);
    }
}

void Reporter::Plain(const QString& text) {
    Write(text.toUtf8());
}

} // namespace quillon::cli
