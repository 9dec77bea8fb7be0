#include "TUpDown.h"

#include "platform/core/ErrorReport.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this,
            [this] { quillon::platform::ToolkitCall([this] { Click(btNext); }); });
    connect(down_, &QToolButton::clicked, this,
            [this] { quillon::platform::ToolkitCall([this] { Click(btPrev); }); });
}

void TUpDown::setMin(int value) {
    if (value == min_) {
        return;
    }
    min_ = value;
    setPosition(position_);
}

void TUpDown::setMax(int value) {
    if (value == max_) {
        return;
    }
    max_ = value;
    setPosition(position_);
}

void TUpDown::setPosition(int value) {
    position_ = std::clamp(value, min_, std::max(min_, max_));
    ShowPosition();
}

void TUpDown::setAssociate(QLineEdit* edit) {
    associate_ = edit;
    ShowPosition();
}

void TUpDown::Click(TUDBtnType button) {
    int next = position_ + (button == btNext ? 1 : -1);
    if (next > max_) {
        next = wrap_ ? min_ : max_;
    } else if (next < min_) {
        next = wrap_ ? max_ : min_;
    }
    position_ = next;
    ShowPosition();
    if (OnClick) {
        OnClick(this, button);
    }
}

void TUpDown::ShowPosition() {
    if (associate_) {
        associate_->setText(QString::number(position_));
    }
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
