#include "IndLED.h"

#include "IndFlashT.h"
#include "_IndProc.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

class PaintingGuard {
public:
    explicit PaintingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~PaintingGuard() { flag_ = false; }
    PaintingGuard(const PaintingGuard&) = delete;
    PaintingGuard& operator=(const PaintingGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

TIndLED::TIndLED(QWidget* parent) : TIndBinGControl(parent), led_(new TLED(this)) {
    led_->OnChange = [this](QObject*) { RepaintAll(); };
    resize(73, 33);
}

TIndLED::~TIndLED() {
    led_->OnChange = nullptr;
    IndFlashUnregister(this);
}

void TIndLED::setLED_Position(TLEDPos value) {
    if (value == position_ || value > quillon::widgets::lpBottom)
        return;
    position_ = value;
    RepaintAll();
}

void TIndLED::setSpacing(int value) {
    if (value == spacing_)
        return;
    spacing_ = value;
    RepaintAll();
}

QSize TIndLED::LampSize() const {
    int lw = led_->Width();
    int lh = led_->Height();
    if (led_->Shape() == quillon::widgets::sRound)
        lw = lh = std::max(lw, lh);
    return QSize(lw, lh);
}

QRect TIndLED::LampRect() const {
    const QSize s = LampSize();
    const int lw = s.width();
    const int lh = s.height();
    const int cx = width() / 2;
    const int cy = height() / 2;
    switch (position_) {
    case quillon::widgets::lpLeft:
        return QRect(0, cy - lh / 2, lw, lh);
    case quillon::widgets::lpRight:
        return QRect(width() - lw, cy - lh / 2, lw, lh);
    case quillon::widgets::lpTop:
        return QRect(cx - lw / 2, 0, lw, lh);
    case quillon::widgets::lpBottom:
        return QRect(cx - lw / 2, height() - lh, lw, lh);
    }
    return {};
}

QPoint TIndLED::CaptionAnchor() const {
    const QSize s = LampSize();
    switch (position_) {
    case quillon::widgets::lpLeft:
        return QPoint(s.width() + spacing_, height() / 2);
    case quillon::widgets::lpRight:
        return QPoint(width() - s.width() - spacing_, height() / 2);
    case quillon::widgets::lpTop:
        return QPoint(width() / 2, s.height() + spacing_);
    case quillon::widgets::lpBottom:
        return QPoint(width() / 2, height() - s.height() - spacing_);
    }
    return {};
}

int TIndLED::CaptionAlign() const {
    switch (position_) {
    case quillon::widgets::lpLeft:
        return taMiddleLeft;
    case quillon::widgets::lpRight:
        return taMiddleRight;
    case quillon::widgets::lpTop:
        return taTopCenter;
    case quillon::widgets::lpBottom:
        return taBottomCenter;
    }
    return taMiddleLeft;
}

void TIndLED::RepaintAll() {
    update();
}

void TIndLED::RepaintLED() {
    if (!painting_)
        RepaintLamp(Checked());
}

void TIndLED::PaintFlashPhase(bool lit) {
    if (!painting_)
        RepaintLamp(lit);
}

void TIndLED::RepaintLamp(bool lit) {
    const QRect lamp = led_->Rect();
    // Before the first full paint there is no lamp on screen to correct.
    if (!isVisible() || lamp.isEmpty())
        return;
    lampOnly_ = lit;
    repaint(lamp);
    lampOnly_.reset();
}

void TIndLED::paintEvent(QPaintEvent* event) {
    if (painting_)
        return;
    PaintingGuard guard(painting_);
    QPainter canvas(this);
    const QRect lamp = led_->Rect();
    // Only our own lamp redraw paints the lamp alone. Qt may fold a pending full update into
    // that repaint; then the region is larger and the whole control is painted.
    if (lampOnly_ && !lamp.isEmpty() && lamp.contains(event->region().boundingRect())) {
        led_->Draw(canvas, *lampOnly_);
        return;
    }
    canvas.setFont(font());
    const QRect r = LampRect();
    led_->SetBounds(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    canvas.setPen(palette().color(QPalette::WindowText));
    canvas.setBrush(Qt::NoBrush);
    IndDrawCaption(canvas, CaptionAnchor(), CaptionAlign(), Caption());
    led_->Draw(canvas, Checked());
}

void TIndLED::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        RepaintAll();
    TIndBinGControl::changeEvent(event);
}
