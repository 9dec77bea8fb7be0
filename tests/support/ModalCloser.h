#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// While it lives, answers every modal message box that opens with its default button and
// records what the box said, so tests of code that shows boxes do not block.
class ModalCloser : public QObject {
    Q_OBJECT
public:
    ModalCloser();

    QStringList titles;
    QStringList texts;
    // Runs when a box is seen, before it is answered.
    std::function<void()> onBox;
    int count() const { return static_cast<int>(texts.size()); }

private:
    void Poll();
    QTimer timer_;
};
