#include "PacingText.h"

#include "vantrel32/VantrelExtras.h"

#include <string_view>

namespace quillon::cli {

namespace {

struct PacingWord {
    std::string_view word;
    uint8_t value;
};
constexpr PacingWord kPacingWords[] = {{"hold", VANTREL_PACING_HOLD},
                                       {"release", VANTREL_PACING_RELEASE}};

QString Q(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<uint8_t> PacingByName(const QString& word) {
    for (const PacingWord& entry : kPacingWords) {
        if (word.compare(Q(entry.word), Qt::CaseInsensitive) == 0) {
            return entry.value;
        }
    }
    return std::nullopt;
}

QString PacingName(uint8_t pacing) {
    for (const PacingWord& entry : kPacingWords) {
        if (entry.value == pacing) {
            return Q(entry.word);
        }
    }
    // The library passes on only the two settings; anything else would be a fault there.
    return QStringLiteral("unknown (%1)").arg(int{pacing});
}

} // namespace quillon::cli
