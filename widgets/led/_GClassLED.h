#pragma once

#include "_GClassIndPersistent.h"

#include "platform/gui/SystemColors.h"

#include <QRect>

class QPainter;

// The lamp's appearance, plus the rectangle the last full paint put it in, which the
// partial redraws reuse so they never have to lay the control out again.
class TLED : public TIndPersistent {
    Q_OBJECT
    Q_PROPERTY(quillon::widgets::TLEDShape Shape READ Shape WRITE setShape)
    Q_PROPERTY(int ColorOn READ ColorOn WRITE setColorOn)
    Q_PROPERTY(int ColorOff READ ColorOff WRITE setColorOff)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
public:
    static constexpr int kMinSize = 4;
    static constexpr int kMaxSize = 40;

    explicit TLED(QObject* parent = nullptr);

    quillon::widgets::TLEDShape Shape() const { return shape_; }
    void setShape(quillon::widgets::TLEDShape value);
    quillon::platform::TColor ColorOn() const { return colorOn_; }
    void setColorOn(quillon::platform::TColor value);
    quillon::platform::TColor ColorOff() const { return colorOff_; }
    void setColorOff(quillon::platform::TColor value);
    int Width() const { return width_; }
    void setWidth(int value);
    int Height() const { return height_; }
    void setHeight(int value);

    // Left, top, right, bottom with right and bottom exclusive; all 0 until the first paint.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Right() const { return right_; }
    int Bottom() const { return bottom_; }
    void SetBounds(int left, int top, int right, int bottom);
    QRect Rect() const { return QRect(left_, top_, right_ - left_, bottom_ - top_); }

    void Draw(QPainter& canvas, bool lit) const;

private:
    quillon::widgets::TLEDShape shape_ = quillon::widgets::sRound;
    quillon::platform::TColor colorOn_ = quillon::platform::clLime;
    quillon::platform::TColor colorOff_ = quillon::platform::clBtnFace;
    int width_ = 13;
    int height_ = 13;
    int left_ = 0;
    int top_ = 0;
    int right_ = 0;
    int bottom_ = 0;
};
