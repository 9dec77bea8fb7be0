#include "ErrorReport.h"

#include <atomic>

namespace quillon::platform {

namespace {

// Atomic, since a report may be made on another thread than the one that installed it.
std::atomic<IErrorReport*> gInstalled{nullptr};

} // namespace

void ErrorReport::Install(IErrorReport* report) {
    gInstalled.store(report);
}

void ErrorReport::Remove(IErrorReport* report) {
    IErrorReport* expected = report;
    gInstalled.compare_exchange_strong(expected, nullptr);
}

IErrorReport* ErrorReport::Installed() {
    return gInstalled.load();
}

void ErrorReport::Report(const std::exception_ptr& error) {
    if (IErrorReport* report = gInstalled.load()) {
        report->ReportError(error);
    } else {
        std::rethrow_exception(error);
    }
}

QString ErrorReport::Text(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace quillon::platform
