#pragma once

#include <QString>

#include <functional>

// Shortens a file path to a width limit by replacing leading directories with "...\", then
// dropping the drive, and at last leaving the bare name. "\" and "/" both separate
// directories, so Windows and Linux paths shorten alike, each keeping its own separator.
// Widths come from textWidth, so the caller decides the font.
QString ShortenPath(const QString& path, int limit,
                    const std::function<int(const QString&)>& textWidth);
