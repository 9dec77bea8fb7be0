#include "_GClassLED.h"

#include "_IndProc.h"

TLED::TLED(QObject* parent) : TIndPersistent(parent) {}

void TLED::setShape(quillon::widgets::TLEDShape value) {
    if (value == shape_ || value > quillon::widgets::sRectangle)
        return;
    shape_ = value;
    Changed();
}

void TLED::setColorOn(quillon::platform::TColor value) {
    if (value == colorOn_)
        return;
    colorOn_ = value;
    Changed();
}

void TLED::setColorOff(quillon::platform::TColor value) {
    if (value == colorOff_)
        return;
    colorOff_ = value;
    Changed();
}

void TLED::setWidth(int value) {
    if (value == width_ || value < kMinSize || value > kMaxSize)
        return;
    width_ = value;
    Changed();
}

void TLED::setHeight(int value) {
    if (value == height_ || value < kMinSize || value > kMaxSize)
        return;
    height_ = value;
    Changed();
}

void TLED::SetBounds(int left, int top, int right, int bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

void TLED::Draw(QPainter& canvas, bool lit) const {
    IndDrawLamp(canvas, Rect(), shape_, quillon::platform::ColorToRGB(lit ? colorOn_ : colorOff_));
}
