#pragma once

#include "widgets/link/LinkLabel.h"

#include <QFontInfo>
#include <QStringList>

#include <algorithm>

// A text metric that does not depend on the installed fonts: every character is charWidth
// wide (an accelerator "&" takes no room while accelerators are shown), every line
// lineHeight high. With lineHeight 0 a line is 5/4 of the font's pixel size high, which gives
// 20 pixels for a 16-pixel font.
struct FixedMetric {
    int charWidth = 10;
    int lineHeight = 0;

    QSize operator()(const QFont& font, const QRect&, int flags, const QString& text) const {
        QString shown = text;
        if (flags & Qt::TextShowMnemonic) {
            shown.replace(QLatin1String("&&"), QLatin1String("\x01"));
            shown.remove(QLatin1Char('&'));
        }
        const QStringList lines = shown.split(QLatin1Char('\n'));
        qsizetype longest = 0;
        for (const QString& line : lines) {
            longest = std::max(longest, line.size());
        }
        const int height = lineHeight > 0 ? lineHeight : QFontInfo(font).pixelSize() * 5 / 4;
        return {static_cast<int>(longest) * charWidth, static_cast<int>(lines.size()) * height};
    }
};

// Installs a fixed metric for one test and puts the real one back afterwards.
class ScopedMetric {
public:
    explicit ScopedMetric(FixedMetric metric) { TLinkLabel::TextExtent = metric; }
    ~ScopedMetric() { TLinkLabel::TextExtent = &TLinkLabel::MeasureWithFontMetrics; }
    ScopedMetric(const ScopedMetric&) = delete;
    ScopedMetric& operator=(const ScopedMetric&) = delete;
};
