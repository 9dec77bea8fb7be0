#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace quillon::cli {

// The words of the adapter's pacing settings, one table for what the user types and what
// the tool prints: "hold" and "release".
std::optional<uint8_t> PacingByName(const QString& word);
QString PacingName(uint8_t pacing);

} // namespace quillon::cli
