#pragma once

#include "platform/core/ErrorReport.h"

#include <QApplication>

#include <exception>

// The application object: holds the title that message boxes carry and is the general
// error report for exceptions that reach the message loop: it shows them and goes on.
// While it lives it is the installed error report of the layer below, so failures that
// the application window or a widget catches end up in the same box.
class TApplication : public QApplication, private quillon::platform::IErrorReport {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    static TApplication* Instance();

    QString Title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the exception in an error box titled with the application's title, its text
    // followed by a full stop.
    void HandleException(const std::exception_ptr& error);

private:
    void ReportError(const std::exception_ptr& error) override;

    QString title_;
};
