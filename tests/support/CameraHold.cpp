#include "CameraHold.h"

#include <QRegularExpression>

namespace {
constexpr int kEvents = 6;
constexpr double kRoundingMs = 1.0;
} // namespace

QString CameraHoldProblem(const QStringList& events, double shortestMs, double longestMs) {
    const QStringList expected{"port FF -> BF", "INT1 pulse", "SW7 pressed", "port BF -> FF",
                               "INT1 pulse"};
    if (events.size() < kEvents || events.mid(0, kEvents - 1) != expected) {
        return "events: " + events.join(" | ");
    }
    static const QRegularExpression released(R"(^SW7 released after (\d+) ms$)");
    const auto match = released.match(events.at(kEvents - 1));
    if (!match.hasMatch()) {
        return events.at(kEvents - 1);
    }
    const int reported = match.captured(1).toInt();
    if (reported < shortestMs - kRoundingMs || reported > longestMs + kRoundingMs) {
        return QString("reported %1 ms, the gap was %2..%3 ms")
            .arg(reported)
            .arg(shortestMs)
            .arg(longestMs);
    }
    return {};
}
