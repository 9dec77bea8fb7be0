#pragma once

#include "_GClassTypes.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

class QFontMetrics;
class QPainter;

// Alignment of one text line at a point: 3 * row + column. Column 0/1/2 puts the text's
// left / centre / right at x, row 0/1/2 its top / middle / bottom at y.
enum TIndTextAlign : int {
    taTopLeft = 0,
    taTopCenter = 1,
    taTopRight = 2,
    taMiddleLeft = 3,
    taMiddleCenter = 4,
    taMiddleRight = 5,
    taBottomLeft = 6,
    taBottomCenter = 7,
    taBottomRight = 8
};

// Draws the lamp figure into rect (right and bottom exclusive) with the shadow outline.
void IndDrawLamp(QPainter& canvas, const QRect& rect, quillon::widgets::TLEDShape shape, const QColor& fill);

// The box one line of text occupies when aligned at (x, y) with the given code.
QRect IndTextBox(const QFontMetrics& metrics, int x, int y, int align, const QString& text);

// Writes one line aligned at (x, y), no clipping, no wrap.
void IndTextOutAligned(QPainter& canvas, int x, int y, int align, const QString& text);

// One drawn line of a caption: where and what.
struct TIndCaptionLine {
    QRect box;
    QString text;
};

// Splits the caption at '|' and places the lines around the anchor; empty lines (a trailing
// bar among them) take their room but yield nothing to draw.
QVector<TIndCaptionLine> IndCaptionLayout(const QFontMetrics& metrics, QPoint anchor, int align,
                                          const QString& caption);

void IndDrawCaption(QPainter& canvas, QPoint anchor, int align, const QString& caption);
