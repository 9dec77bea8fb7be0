#include "NearestName.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace quillon::cli {

namespace {

// More mistakes than this and the hint is more likely wrong than helpful.
constexpr qsizetype kMaxMistakes = 2;

// Levenshtein distance: letters inserted, dropped or changed.
qsizetype Distance(const QString& a, const QString& b) {
    std::vector<qsizetype> row(static_cast<std::size_t>(b.size()) + 1);
    std::iota(row.begin(), row.end(), qsizetype{0});
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[std::size_t(j)];
            const qsizetype changed = diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1, changed});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

std::optional<QString> NearestName(const QString& word, const QStringList& names) {
    std::optional<QString> nearest;
    qsizetype best = kMaxMistakes + 1;
    for (const QString& name : names) {
        const qsizetype distance = Distance(word, name);
        // A short name is reached by two mistakes from almost anything: at most half of a
        // name may be wrong.
        if (distance < best && 2 * distance < name.size()) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

QString DidYouMean(const QString& word, const QStringList& names) {
    const auto nearest = NearestName(word, names);
    return nearest ? QStringLiteral(" (did you mean %1?)").arg(*nearest) : QString();
}

} // namespace quillon::cli
