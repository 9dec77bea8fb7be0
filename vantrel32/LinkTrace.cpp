#include "LinkTrace.h"

#include "protocol/CommandTable.h"
#include "protocol/CounterBytes.h"
#include "protocol/FrameFormat.h"

#include <QByteArray>
#include <QStringList>
#include <QTime>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>

namespace quillon::link {

namespace {
std::atomic<bool> gEnabled{false};
std::mutex gOutputMutex;

using protocol::CounterBytes;
using protocol::FrameFormat;

QString PacingWord(uint8_t value) {
    switch (value) {
    case static_cast<uint8_t>(protocol::Pacing::Release):
        return QStringLiteral("release");
    case static_cast<uint8_t>(protocol::Pacing::Hold):
        return QStringLiteral("hold");
    case protocol::kPacingAsk:
        return QStringLiteral("ask");
    default:
        return QStringLiteral("0x%1 (no pacing value)").arg(value, 2, 16, QLatin1Char('0'));
    }
}

std::optional<QString> Words(uint8_t code, const uint8_t* payload, std::size_t size) {
    switch (code) {
    case FrameFormat::CmdPacing:
    case FrameFormat::RepPacing:
        if (size == protocol::kPacingSize) {
            return QStringLiteral("pacing ") + PacingWord(payload[0]);
        }
        break;
    case FrameFormat::CmdCounters:
        return QStringLiteral("counters asked");
    case FrameFormat::RepCounters:
        if (size == protocol::kCountersSize) {
            QStringList values;
            for (std::size_t i = 0; i < protocol::kCounterCount; ++i) {
                values << QString::number(CounterBytes::Read(payload + i * protocol::kCounterSize));
            }
            return QStringLiteral("counters %1 (master writes, master reads, address-only, not "
                                  "forwarded, longest hold us)")
                .arg(values.join(QLatin1Char(' ')));
        }
        break;
    case FrameFormat::NotForwarded:
        if (size == protocol::kNotForwardedSize) {
            return QStringLiteral("%1 master writes not forwarded in all")
                .arg(CounterBytes::Read(payload));
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

void LinkTrace::Configure() {
    gEnabled.store(qgetenv("VANTREL_TRACE") == "1", std::memory_order_relaxed);
}

bool LinkTrace::Enabled() {
    return gEnabled.load(std::memory_order_relaxed);
}

void LinkTrace::Frame(const char* direction, const uint8_t* data, std::size_t size) {
    if (!Enabled()) {
        return;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    WriteLine(QStringLiteral("%1 %2").arg(QLatin1String(direction),
                                          QString::fromLatin1(bytes.toHex(' ').toUpper())));
}

void LinkTrace::Note(const QString& text) {
    if (Enabled()) {
        WriteLine(text);
    }
}

void LinkTrace::Describe(const char* direction, uint8_t code, const uint8_t* payload,
                         std::size_t size) {
    if (!Enabled()) {
        return;
    }
    if (const auto words = Words(code, payload, size)) {
        WriteLine(QStringLiteral("%1 %2: %3")
                      .arg(QLatin1String(direction), QChar::fromLatin1(char(code)), *words));
    }
}

void LinkTrace::Error(const QString& text) {
    std::lock_guard lock(gOutputMutex);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void LinkTrace::WriteLine(const QString& text) {
    const QString stamp = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    std::lock_guard lock(gOutputMutex);
    std::fprintf(stderr, "Vantrel32 %s %s\n", stamp.toLatin1().constData(),
                 text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace quillon::link
