// Memory running out anywhere in the tool: the program's own code, a slot run by the event
// loop, a notification the adapter library dispatches, a failed operator new. Each case runs
// in a child process of its own, since the tool's way out ends the process.
#include "cli/CliApplication.h"
#include "cli/CliProgram.h"
#include "cli/ExitStatus.h"
#include "cli/OutOfMemory.h"
#include "platform/core/ErrorReport.h"
#include "tests/support/DataColumns.h"

#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include <cstdint>
#include <cstdio>
#include <new>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace quillon::cli;

enum class Where { Finishes, ProgramCode, EventLoopSlot, LibraryDispatch, OperatorNew };

constexpr int kFinishedStatus = 5;

int RunIn(Where where) {
    int argc = 1;
    char name[] = "quillon-cli";
    char* argv[] = {name, nullptr};
    switch (where) {
    case Where::Finishes:
        return GuardMemory([] { return kFinishedStatus; });
    case Where::ProgramCode:
        return GuardMemory([]() -> int { throw std::bad_alloc(); });
    case Where::EventLoopSlot:
        return GuardMemory([&] {
            // Ends where it ran out: unwinding through the toolkit's frames would run
            // cleanup that needs memory itself, and is not supported there.
            const auto unwound = qScopeGuard([] { std::fputs("unwound\n", stderr); });
            CliApplication app(argc, argv);
            QTimer::singleShot(0, &app, [] { throw std::bad_alloc(); });
            return QCoreApplication::exec();
        });
    case Where::LibraryDispatch:
        return GuardMemory([] {
            CliProgram program;
            quillon::platform::ErrorReport::Report(std::make_exception_ptr(std::bad_alloc()));
            return kFinishedStatus;
        });
    case Where::OperatorNew:
        return GuardMemory([] {
            ExitWhenNewFails();
            // More than the address space holds; kept where the compiler cannot drop it.
            volatile std::size_t size = SIZE_MAX / 4;
            char* volatile block = new char[size];
            delete[] block;
            return kFinishedStatus;
        });
    }
    return kFinishedStatus;
}

struct ChildEnd {
    int status = -1; // the exit status, -1 when it did not exit normally
    QByteArray err;
};

ChildEnd RunInChild(Where where) {
    ChildEnd end;
    int errPipe[2];
    if (::pipe(errPipe) != 0) {
        return end;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(errPipe[1], STDERR_FILENO);
        ::close(errPipe[0]);
        ::close(errPipe[1]);
        ::_exit(RunIn(where));
    }
    ::close(errPipe[1]);
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(errPipe[0], buffer, sizeof buffer)) > 0) {
        end.err.append(buffer, got);
    }
    ::close(errPipe[0]);
    int waitStatus = 0;
    if (pid > 0 && ::waitpid(pid, &waitStatus, 0) == pid && WIFEXITED(waitStatus)) {
        end.status = WEXITSTATUS(waitStatus);
    }
    return end;
}

} // namespace

class TestOutOfMemory : public QObject {
    Q_OBJECT

private slots:
    void endsWithItsStatusAndOneLine_data();
    void endsWithItsStatusAndOneLine();
};

void TestOutOfMemory::endsWithItsStatusAndOneLine_data() {
    quillon::testing::AddColumns<int, int, QByteArray>({"where", "status", "err"});
    const QByteArray outOfMemory("quillon-cli: out of memory\n");
    QTest::newRow("a program that finishes")
        << int(Where::Finishes) << kFinishedStatus << QByteArray();
    QTest::newRow("the program's code")
        << int(Where::ProgramCode) << int{kExitInternal} << outOfMemory;
    QTest::newRow("a slot the event loop runs")
        << int(Where::EventLoopSlot) << int{kExitInternal} << outOfMemory;
    QTest::newRow("a notification the library dispatches")
        << int(Where::LibraryDispatch) << int{kExitInternal} << outOfMemory;
    QTest::newRow("operator new") << int(Where::OperatorNew) << int{kExitInternal} << outOfMemory;
}

void TestOutOfMemory::endsWithItsStatusAndOneLine() {
    QFETCH(int, where);
    QFETCH(int, status);
    QFETCH(QByteArray, err);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    if (Where(where) == Where::OperatorNew) {
        QSKIP("the sanitizer's allocator reports a huge allocation itself");
    }
#endif
    const ChildEnd end = RunInChild(Where(where));
    QCOMPARE(end.err, err);
    QCOMPARE(end.status, status);
}

QTEST_APPLESS_MAIN(TestOutOfMemory)
#include "tst_outofmemory.moc"
