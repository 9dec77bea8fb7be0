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

    // The general error report when there is one; without this application object (a
    // bare test) the exception goes on to the caller.
    static void ReportException(const std::exception_ptr& error);

private:
    QString title_;
};

namespace platform {

// Runs our handling of a call that comes from the toolkit's own dispatch (an input event, a
// signal, a posted message). An exception goes to the general error report right here: the
// toolkit's frames between here and the message loop are built without exception support,
// and unwinding through them would leak what they hold.
template <class Handler> void ToolkitCall(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        TApplication::ReportException(std::current_exception());
    }
}

} // namespace platform
