#pragma once

#include "tests/support/ResidentMemory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// For the start-up benchmark: when the watched window has painted for the first time,
// prints "painted <VmRSS in KiB>" on standard output and quits the application.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Once this paint pass, children included, has been flushed.
            QTimer::singleShot(0, [] {
                std::printf("painted %ld\n", quillon::testing::ResidentKiB());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};
