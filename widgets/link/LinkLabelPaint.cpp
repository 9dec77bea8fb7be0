// Measuring, auto-size and painting of TLinkLabel.
#include "LinkLabel.h"

#include "ColorConv.h"

#include <QPainter>

#include <algorithm>

using quillon::platform::ColorToRGB;

namespace {

// The bevel's light and dark factors are asked for in tenths of the way to white and black.
float Factor(int tenths) {
    return (10 - tenths) / 10.0f;
}

// Moves from `from` to `to` along an axis, leaving the end point undrawn, so that the next
// segment can start there without drawing a pixel twice.
void LineTo(QPainter& painter, QPoint& pen, QPoint to) {
    if (to != pen) {
        const QPoint step((to.x() > pen.x()) - (to.x() < pen.x()),
                          (to.y() > pen.y()) - (to.y() < pen.y()));
        painter.drawLine(pen, to - step);
    }
    pen = to;
}

void PolyLine(QPainter& painter, QPoint a, QPoint b, QPoint c) {
    QPoint pen = a;
    LineTo(painter, pen, b);
    LineTo(painter, pen, c);
}

} // namespace

int TLinkLabel::TextWidth(const QString& text) const {
    return TextExtent(font(), QRect(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text).width();
}

QSize TLinkLabel::MeasureText(QString* text) const {
    const QString display = DisplayText();
    if (text != nullptr) {
        *text = display;
    }
    QString measured = display;
    // An empty label still measures one line high.
    if (measured.isEmpty() || (showAccelChar_ && measured == QLatin1String("&"))) {
        measured += QLatin1Char(' ');
    }
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_) {
        flags |= Qt::TextWordWrap;
    }
    if (showAccelChar_) {
        flags |= Qt::TextShowMnemonic;
    }
    return TextExtent(font(), rect(), flags, measured);
}

void TLinkLabel::RecomputeSize() {
    if (!autoSize_) {
        return;
    }
    const QSize extent = MeasureText();
    int extra = 0;
    if (bevelStyle_ != bvNone) {
        extra += 2 * bevelWidth_;
    }
    if (bevelStyle_ == bvSingle) {
        extra += 1;
    }
    extra += 2 * borderWidth_;
    if (showHighlight_) {
        extra += highlightOffset_;
    }
    if (showShadow_) {
        extra += shadowOffset_;
    }
    const int newWidth = extent.width() + extra;
    const int newHeight = extent.height() + extra;
    // A right-aligned label grows and shrinks to the left.
    const int newLeft = alignment_ == taRightJustify ? x() + width() - newWidth : x();
    setGeometry(newLeft, y(), newWidth, newHeight);
}

void TLinkLabel::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    const bool hovering = hover_ && hoverColor_ != color_;
    if (!Transparent() || hovering) {
        painter.fillRect(rect(), ColorToRGB(hovering ? hoverColor_ : color_));
    }
    painter.setBrush(Qt::NoBrush);

    int flags = Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_) {
        flags |= Qt::TextWordWrap;
    }
    switch (alignment_) {
    case taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    }
    DrawLabelText(painter, flags);
    if (bevelStyle_ != bvNone) {
        DrawBevel(painter);
    }
}

void TLinkLabel::DrawLabelText(QPainter& painter, int flags) {
    // Without accelerators an "&" is an ordinary character.
    if (showAccelChar_) {
        flags |= Qt::TextShowMnemonic;
    }
    painter.setFont(font());
    QString text;
    const QSize extent = MeasureText(&text);
    const int w = extent.width();
    const int h = extent.height();
    QRect t(0, 0, w, h);

    if (bevelStyle_ != bvNone) {
        t.translate(bevelWidth_, layout_ == tlCenter ? 0 : bevelWidth_);
    }
    if (bevelStyle_ == bvSingle) {
        t.translate(1, layout_ == tlCenter ? 0 : 1);
    }
    switch (alignment_) {
    case taLeftJustify:
        t.translate(borderWidth_, 0);
        break;
    case taCenter:
        t.translate((width() - w) / 2, 0);
        break;
    case taRightJustify:
        // Two pixels off the right edge, but never further left than left-aligned text: a
        // label sized to its text would otherwise lose its first two columns.
        t.translate(std::max(width() - w - 2 - borderWidth_, borderWidth_), 0);
        break;
    }
    switch (layout_) {
    case tlTop:
        t.translate(0, borderWidth_);
        break;
    case tlCenter:
        t.translate(0, (height() - h) / 2);
        break;
    case tlBottom:
        t.translate(0, height() - h - borderWidth_);
        break;
    }
    // The highlight copy stands up and to one side of the text, the shadow copy down and to
    // the other. The text moves away from a copy on its left, from a copy on the right when
    // it is right-aligned, and from the edge it is laid against when a copy points there.
    const bool topLeft = highlightPos_ == hpTopLeft;
    const QPoint highlightShift(topLeft ? -highlightOffset_ : highlightOffset_, -highlightOffset_);
    const QPoint shadowShift(topLeft ? shadowOffset_ : -shadowOffset_, shadowOffset_);
    auto makeRoomFor = [&](QPoint copy) {
        if (copy.x() < 0 || alignment_ == taRightJustify) {
            t.translate(-copy.x(), 0);
        }
        if ((copy.y() < 0 && layout_ == tlTop) || (copy.y() > 0 && layout_ == tlBottom)) {
            t.translate(0, -copy.y());
        }
    };
    if (showHighlight_) {
        makeRoomFor(highlightShift);
    }
    if (showShadow_) {
        makeRoomFor(shadowShift);
    }

    auto drawAt = [&](const QRect& r, TColor color) {
        painter.setPen(ColorToRGB(color));
        painter.drawText(r, flags, text);
    };

    if (!isEnabled()) {
        drawAt(t.translated(1, 1), quillon::platform::clBtnHighlight);
        drawAt(t, quillon::platform::clBtnShadow);
        return;
    }
    if (showHighlight_) {
        drawAt(t.translated(highlightShift), highlightColor_);
    }
    if (showShadow_) {
        drawAt(t.translated(shadowShift), shadowColor_);
    }
    TColor textColor = fontColor_;
    if (linkActive_ && hover_) {
        if (hoverFontColor_ != fontColor_) {
            textColor = hoverFontColor_;
        }
        if (underlineOnEnter_) {
            QFont underlined = font();
            underlined.setUnderline(true);
            painter.setFont(underlined);
        }
    }
    drawAt(t, textColor);
}

void TLinkLabel::DrawBevel(QPainter& painter) {
    TColor light = 0;
    TColor dark = 0;
    ColorConv::LightDarkColors(color_, Factor(5), Factor(4), light, dark);

    const int l = 0;
    const int t = 0;
    const int r = width();
    const int b = height();
    const int k = bevelWidth_;
    painter.setBrush(Qt::NoBrush);

    TColor topLeft = dark;
    TColor bottomRight = light;
    if (bevelStyle_ == bvFrame) {
        topLeft = bottomRight = quillon::platform::clWindowFrame;
    } else if (bevelStyle_ == bvRaised) {
        topLeft = light;
        bottomRight = dark;
    }

    painter.setPen(ColorToRGB(topLeft));
    for (int i = 1; i <= k; ++i) {
        PolyLine(painter, {r - i, t + i - 1}, {l + i - 1, t + i - 1}, {l + i - 1, b - i});
    }
    if (bevelStyle_ == bvSingle) {
        painter.setPen(ColorToRGB(quillon::platform::clBlack));
        PolyLine(painter, {r - k - 1, t + k}, {l + k, t + k}, {l + k, b - k - 1});
    }
    painter.setPen(ColorToRGB(bottomRight));
    for (int i = 1; i <= k; ++i) {
        PolyLine(painter, {l + i - 1, b - i}, {r - i, b - i}, {r - i, t + i - 1});
    }
    if (bevelStyle_ == bvSingle) {
        painter.setPen(ColorToRGB(quillon::platform::clSilver));
        PolyLine(painter, {l + k, b - k - 1}, {r - k - 1, b - k - 1}, {r - k - 1, t + k});
    }
}
