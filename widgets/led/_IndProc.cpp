#include "_IndProc.h"

#include "platform/gui/SystemColors.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

void IndDrawLamp(QPainter& canvas, const QRect& rect, quillon::widgets::TLEDShape shape, const QColor& fill) {
    const int l = rect.left();
    const int t = rect.top();
    const int r = l + rect.width();
    const int b = t + rect.height();
    const int w = r - l;
    const int hw = w / 2;
    const int hh = (b - t) / 2;

    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(fill);
    canvas.setPen(QPen(quillon::platform::ColorToRGB(quillon::platform::clBtnShadow), 1));
    // QPainter's outlined figures cover one pixel more than their rectangle; the lamp must
    // stay within [l, r) x [t, b) so the partial redraws cover it completely.
    const QRect inner(l, t, w - 1, b - t - 1);
    switch (shape) {
    case quillon::widgets::sRound: {
        canvas.drawEllipse(inner);
        const int shrink = w / 5;
        QPen highlight(quillon::platform::ColorToRGB(quillon::platform::clBtnHighlight), w / 8);
        canvas.setPen(highlight);
        canvas.setBrush(Qt::NoBrush);
        // Upper-left quarter: from straight up, counter-clockwise to straight left.
        canvas.drawArc(inner.adjusted(shrink, shrink, -shrink, -shrink), 90 * 16, 90 * 16);
        break;
    }
    case quillon::widgets::sArrowLeft:
        canvas.drawPolygon(QPolygon({QPoint(l, t + hh), QPoint(r - 1, t), QPoint(r - 1, b - 1)}));
        break;
    case quillon::widgets::sArrowRight:
        canvas.drawPolygon(QPolygon({QPoint(l, t), QPoint(r - 1, t + hh), QPoint(l, b - 1)}));
        break;
    case quillon::widgets::sArrowUp:
        canvas.drawPolygon(QPolygon({QPoint(l + hw, t), QPoint(r - 1, b - 1), QPoint(l, b - 1)}));
        break;
    case quillon::widgets::sArrowDown:
        canvas.drawPolygon(QPolygon({QPoint(l, t), QPoint(r - 1, t), QPoint(l + hw, b - 1)}));
        break;
    case quillon::widgets::sRectangle:
        canvas.drawRect(inner);
        break;
    }
    canvas.restore();
}

QRect IndTextBox(const QFontMetrics& metrics, int x, int y, int align, const QString& text) {
    const int w = metrics.horizontalAdvance(text);
    const int hgt = metrics.height();
    const int column = align % 3;
    const int row = align / 3;
    const int left = column == 0 ? x : column == 1 ? x - w / 2 : x - w;
    const int top = row == 0 ? y : row == 1 ? y - hgt / 2 : y - hgt;
    return QRect(left, top, w, hgt);
}

void IndTextOutAligned(QPainter& canvas, int x, int y, int align, const QString& text) {
    const QFontMetrics metrics = canvas.fontMetrics();
    const QRect box = IndTextBox(metrics, x, y, align, text);
    canvas.drawText(box.left(), box.top() + metrics.ascent(), text);
}

QVector<TIndCaptionLine> IndCaptionLayout(const QFontMetrics& metrics, QPoint anchor, int align,
                                          const QString& caption) {
    QVector<TIndCaptionLine> result;
    if (caption.isEmpty())
        return result;
    const QStringList lines = caption.split(QLatin1Char('|'));
    const int n = static_cast<int>(lines.size()) - 1;
    const int step = metrics.height();
    const int row = align / 3;
    int y = anchor.y();
    if (row == 1)
        y -= (n * step) / 2;
    else if (row == 2)
        y -= n * step;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            result.append({IndTextBox(metrics, anchor.x(), y, align, line), line});
        y += step;
    }
    return result;
}

void IndDrawCaption(QPainter& canvas, QPoint anchor, int align, const QString& caption) {
    const QFontMetrics metrics = canvas.fontMetrics();
    for (const TIndCaptionLine& line : IndCaptionLayout(metrics, anchor, align, caption))
        canvas.drawText(line.box.left(), line.box.top() + metrics.ascent(), line.text);
}
