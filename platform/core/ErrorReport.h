#pragma once

#include <QString>

#include <exception>

namespace quillon::platform {

// Whatever the program shows or logs for an exception that nobody else caught: the panel's
// application object puts it in an error box, a program without windows would print it.
class IErrorReport {
public:
    virtual void ReportError(const std::exception_ptr& error) = 0;

protected:
    ~IErrorReport() = default;
};

// The one place this layer hands such an exception to. It knows no window toolkit, so
// the program installs its own report at start-up.
class ErrorReport {
public:
    // The report installed last replaces any earlier one.
    static void Install(IErrorReport* report);
    // Only the report that is installed is removed; any other call changes nothing.
    static void Remove(IErrorReport* report);
    static IErrorReport* Installed();

    // Hands the exception to the installed report; with none installed (a bare test) it
    // goes on to the caller.
    static void Report(const std::exception_ptr& error);

    // The exception's own message, or "Unknown error" for one that carries none.
    static QString Text(const std::exception_ptr& error);
};

// Runs our handling of a call that comes from the toolkit's own dispatch (an input event, a
// signal, a posted message). An exception goes to the error report right here: the
// toolkit's frames between here and the message loop are built without exception support,
// and unwinding through them would leak what they hold.
template <class Handler> void ToolkitCall(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        ErrorReport::Report(std::current_exception());
    }
}

} // namespace quillon::platform
