// The yardstick for StartupBench: the least a Qt Widgets program does to show a window
// with one label.
#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Hello")));
    FirstPaint probe(&window);
    window.show();
    return app.exec();
}
