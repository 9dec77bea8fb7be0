#include "CliApplication.h"

#include "OutOfMemory.h"

namespace quillon::cli {

CliApplication::CliApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {}

bool CliApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QCoreApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ExitOutOfMemory();
    }
}

} // namespace quillon::cli
