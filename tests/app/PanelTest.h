#pragma once

#include "app/UnitMain.h"
#include "tests/support/VantrelRecorder.h"

#include <QtTest>

#include <memory>

// Reading the panel back as an operator would see it.
namespace panel {

// The port LEDs P0..P7 as a byte: bit n set when LEDPn is lit.
inline int LitPortBits(TForm1& form) {
    const TIndLED* leds[] = {form.LEDP0, form.LEDP1, form.LEDP2, form.LEDP3,
                             form.LEDP4, form.LEDP5, form.LEDP6, form.LEDP7};
    int bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits |= leds[i]->Checked() ? (1 << i) : 0;
    }
    return bits;
}

// The address LEDs A0..A2 as bits 1..3.
inline int LitAddressBits(TForm1& form) {
    return (form.LEDA0->Checked() ? 2 : 0) | (form.LEDA1->Checked() ? 4 : 0) |
           (form.LEDA2->Checked() ? 8 : 0);
}

// A new panel window on the given page, shown, with a fresh recorder that has forgotten the
// library calls of the window's start-up, so a test sees only the calls it causes.
inline std::unique_ptr<TForm1> FreshForm(QWidget* TForm1::*page) {
    recorder::Reset();
    auto form = std::make_unique<TForm1>();
    form->PageControl1->setCurrentWidget((*form).*page);
    form->show();
    recorder::Calls().clear();
    return form;
}

inline void Click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(w->width() / 2, w->height() / 2));
}

} // namespace panel
