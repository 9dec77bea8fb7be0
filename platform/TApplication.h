#pragma once

#include <QApplication>

#include <exception>

// The application object: holds the title that message boxes carry and is the general
// error report for exceptions that reach the message loop: it shows them and goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    static TApplication* Instance();

    QString Title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the exception in an error box titled with the application's title, its text
    // followed by a full stop.
    void HandleException(const std::exception_ptr& error);
    static QString ExceptionText(const std::exception_ptr& error);

private:
    QString title_;
};
