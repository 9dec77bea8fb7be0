#pragma once

#include <QWidget>

namespace quillon::testing {

// A stored test layout set up on a fresh widget, the way the program sets up its own.
template <typename Ui>
struct LoadedForm {
    LoadedForm() { ui.setupUi(&widget); }

    template <typename Control>
    Control* Find(const QString& name) {
        return widget.findChild<Control*>(name);
    }

    QWidget widget;
    Ui ui;
};

} // namespace quillon::testing
