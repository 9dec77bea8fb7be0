#include "LinkTrace.h"

#include <QByteArray>
#include <QTime>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace quillon::link {

namespace {
std::atomic<bool> gEnabled{false};
std::mutex gOutputMutex;
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
