#include "TPanel.h"

#include "platform/gui/SystemColors.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : QWidget(parent) {}

void TPanel::setCaption(const QString& caption) {
    if (caption != caption_) {
        caption_ = caption;
        update();
    }
}

void TPanel::setBevelInner(int cut) {
    if (cut != inner_ && cut >= bvNone && cut <= bvRaised) {
        inner_ = cut;
        update();
    }
}

void TPanel::setBevelOuter(int cut) {
    if (cut != outer_ && cut >= bvNone && cut <= bvRaised) {
        outer_ = cut;
        update();
    }
}

void TPanel::setBevelWidth(int width) {
    if (width != width_ && width >= 1) {
        width_ = width;
        update();
    }
}

int TPanel::BorderSize() const {
    return (outer_ != bvNone ? width_ : 0) + (inner_ != bvNone ? width_ : 0);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, quillon::platform::ColorToRGB(quillon::platform::clBtnFace));

    const QColor light = quillon::platform::ColorToRGB(quillon::platform::clBtnHighlight);
    const QColor dark = quillon::platform::ColorToRGB(quillon::platform::clBtnShadow);
    auto bevel = [&](int cut) {
        if (cut == bvNone) {
            return;
        }
        const QColor topLeft = cut == bvRaised ? light : dark;
        const QColor bottomRight = cut == bvRaised ? dark : light;
        for (int i = 0; i < width_; ++i) {
            p.setPen(topLeft);
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.drawLine(r.left(), r.top(), r.left(), r.bottom());
            p.setPen(bottomRight);
            p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
            r.adjust(1, 1, -1, -1);
        }
    };
    bevel(outer_);
    bevel(inner_);

    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.setFont(font());
        p.drawText(r, Qt::AlignCenter, caption_);
    }
}
