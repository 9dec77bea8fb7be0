#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// For the start-up benchmark: when the watched window has painted for the first time,
// prints "painted <VmRSS in KiB>" on standard output and quits the application.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QWidget* window) { window->installEventFilter(this); }

    static long ResidentKiB() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) {
            return -1;
        }
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').first().toLong();
            }
        }
        return -1;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Once this paint pass, children included, has been flushed.
            QTimer::singleShot(0, [] {
                std::printf("painted %ld\n", ResidentKiB());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};
