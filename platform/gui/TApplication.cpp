#include "TApplication.h"

#include <QMessageBox>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    title_ = applicationName();
    quillon::platform::ErrorReport::Install(this);
}

TApplication::~TApplication() {
    quillon::platform::ErrorReport::Remove(this);
}

TApplication* TApplication::Instance() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return true;
    }
}

void TApplication::ReportError(const std::exception_ptr& error) {
    HandleException(error);
}

void TApplication::HandleException(const std::exception_ptr& error) {
    QString text = quillon::platform::ErrorReport::Text(error);
    if (!text.endsWith('.')) {
        text += '.';
    }
    QMessageBox box(QMessageBox::Critical, title_, text, QMessageBox::Ok);
    box.exec();
}
