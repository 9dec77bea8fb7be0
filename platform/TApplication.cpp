#include "TApplication.h"

#include <QMessageBox>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    title_ = applicationName();
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

QString TApplication::ExceptionText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void TApplication::ReportException(const std::exception_ptr& error) {
    if (TApplication* app = Instance()) {
        app->HandleException(error);
    } else {
        std::rethrow_exception(error);
    }
}

void TApplication::HandleException(const std::exception_ptr& error) {
    QString text = ExceptionText(error);
    if (!text.endsWith('.')) {
        text += '.';
    }
    QMessageBox box(QMessageBox::Critical, title_, text, QMessageBox::Ok);
    box.exec();
}
