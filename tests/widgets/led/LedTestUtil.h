#pragma once

#include "widgets/led/IndLED.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <vector>

// Counts what the notify events of a control raise.
struct EventCounter {
    int status = 0;
    int statusInt = 0;
    void Attach(TIndBinGControl* c) {
        c->OnStatusChanged = [this](QObject*) { ++status; };
        c->OnStatusIntChanged = [this](QObject*) { ++statusInt; };
    }
};

// A top-level window holding LEDs of one or more groups, created in order.
struct LedForm {
    QWidget form;
    std::vector<TIndLED*> leds;

    TIndLED* Add(int group, int bit, TIndBinGControl::TMode mode = TIndLED::mIndicator) {
        auto* led = new TIndLED(&form);
        led->setStatusBit(bit);
        led->setGroupIndex(group);
        led->setMode(mode);
        leds.push_back(led);
        return led;
    }
};

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

inline QPoint Inside(QWidget* w) {
    return w->rect().center();
}
