#include "ModalCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

ModalCloser::ModalCloser() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalCloser::Poll);
    timer_.start();
}

void ModalCloser::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
        return;
    }
    if (onBox) {
        onBox();
    }
    titles << box->windowTitle();
    texts << box->text();
    QAbstractButton* button = box->defaultButton();
    if (!button && !box->buttons().isEmpty()) {
        button = box->buttons().first();
    }
    if (button) {
        button->click();
    } else {
        box->done(0);
    }
}
