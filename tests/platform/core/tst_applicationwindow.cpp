#include "platform/core/ApplicationWindow.h"
#include "platform/core/ErrorReport.h"
#include "tests/support/DataColumns.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

using quillon::platform::ErrorReport;
using quillon::platform::IErrorReport;
using quillon::platform::IMessageHook;
using quillon::platform::TApplicationWindow;
using quillon::platform::TMessage;

namespace {

// Records what it saw; handles the messages whose number it is told to.
class RecordingHook final : public IMessageHook {
public:
    RecordingHook(std::vector<QString>* log, QString name, uint32_t handles = 0)
        : log_(log), name_(std::move(name)), handles_(handles) {}

    bool HookMessage(TMessage& msg) override {
        log_->push_back(name_);
        threads.push_back(QThread::currentThread());
        lastW = msg.WParam;
        lastL = msg.LParam;
        if (onMessage) {
            onMessage();
        }
        if (msg.Msg == handles_) {
            msg.Result = 42;
            return true;
        }
        return false;
    }

    std::function<void()> onMessage;
    std::vector<QThread*> threads;
    uintptr_t lastW = 0;
    intptr_t lastL = 0;

private:
    std::vector<QString>* log_;
    QString name_;
    uint32_t handles_;
};

// Stands in for the program's error report and keeps what it was given.
class RecordingReport final : public IErrorReport {
public:
    void ReportError(const std::exception_ptr& error) override {
        texts << ErrorReport::Text(error);
    }
    QStringList texts;
};

} // namespace

class TestApplicationWindow : public QObject {
    Q_OBJECT

private slots:
    void hooksRunInOrderUntilHandled_data();
    void hooksRunInOrderUntilHandled();
    void unhookIsByIdentity();
    void hookRemovedDuringDispatchIsSkipped();
    void registeredNumbersAreStableAndDistinct();
    void postFromAnotherThreadArrivesLaterOnUiThread();
    void sendFromAnotherThreadWaitsForTheResult();
    void hookFailureReachesTheSendingThread();
    void hookFailureWithAReportInstalled_data();
    void hookFailureWithAReportInstalled();
    void reportIsRemovedOnlyByItsOwner();
};

void TestApplicationWindow::hooksRunInOrderUntilHandled_data() {
    quillon::testing::AddColumns<uint32_t, QStringList, bool, qintptr>(
        {"msg", "seen", "reachedDefault", "result"});
    // first handles 0xC100, second 0xC101, nobody 0xC102
    QTest::newRow("first handles") << 0xC100u << QStringList{"first"} << false << qintptr(42);
    QTest::newRow("second handles")
        << 0xC101u << QStringList{"first", "second"} << false << qintptr(42);
    QTest::newRow("nobody handles")
        << 0xC102u << QStringList{"first", "second", "third"} << true << qintptr(0);
}

void TestApplicationWindow::hooksRunInOrderUntilHandled() {
    QFETCH(uint32_t, msg);
    QFETCH(QStringList, seen);
    QFETCH(bool, reachedDefault);
    QFETCH(qintptr, result);

    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook first(&log, "first", 0xC100), second(&log, "second", 0xC101),
        third(&log, "third");
    window.HookMainWindow(&first);
    window.HookMainWindow(&second);
    window.HookMainWindow(&third);
    bool defaultRan = false;
    window.SetDefaultHandler([&](TMessage&) { defaultRan = true; });

    const intptr_t got = window.SendMessage(msg, 1, 2);

    window.UnhookMainWindow(&first);
    window.UnhookMainWindow(&second);
    window.UnhookMainWindow(&third);
    window.SetDefaultHandler(nullptr);
    QCOMPARE(QStringList(log.begin(), log.end()), seen);
    QCOMPARE(defaultRan, reachedDefault);
    QCOMPARE(got, result);
}

void TestApplicationWindow::unhookIsByIdentity() {
    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook a(&log, "a"), b(&log, "b");
    window.HookMainWindow(&a);
    window.HookMainWindow(&b);
    window.UnhookMainWindow(&a);
    QVERIFY(!window.IsHooked(&a));
    QVERIFY(window.IsHooked(&b));
    window.SendMessage(0xC200, 0, 0);
    QCOMPARE(log, std::vector<QString>{"b"});
    window.UnhookMainWindow(&a); // not installed: nothing happens
    window.UnhookMainWindow(&b);
}

void TestApplicationWindow::hookRemovedDuringDispatchIsSkipped() {
    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook a(&log, "a"), b(&log, "b");
    a.onMessage = [&] { window.UnhookMainWindow(&b); };
    window.HookMainWindow(&a);
    window.HookMainWindow(&b);
    window.SendMessage(0xC300, 0, 0);
    window.UnhookMainWindow(&a);
    QCOMPARE(log, std::vector<QString>{"a"});
}

void TestApplicationWindow::registeredNumbersAreStableAndDistinct() {
    auto& window = TApplicationWindow::Instance();
    const uint32_t one = window.RegisterWindowMessage("Test.One");
    const uint32_t two = window.RegisterWindowMessage("Test.Two");
    QVERIFY(one != two);
    QCOMPARE(window.RegisterWindowMessage("Test.One"), one);
    // Outside the fixed ranges, so no registered number collides with 1124 and the like.
    QVERIFY(one >= 0xC000 && two >= 0xC000);
}

void TestApplicationWindow::postFromAnotherThreadArrivesLaterOnUiThread() {
    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook hook(&log, "hook", 0xC400);
    window.HookMainWindow(&hook);

    bool posted = false;
    std::thread poster([&] { posted = TApplicationWindow::PostMessage(0xC400, 0x69, -5); });
    poster.join();
    QVERIFY(posted);
    QVERIFY(log.empty()); // nothing runs inside the posting call
    QTRY_COMPARE(log.size(), std::size_t(1));
    QCOMPARE(hook.threads.front(), QThread::currentThread());
    QCOMPARE(hook.lastW, uintptr_t(0x69));
    QCOMPARE(hook.lastL, intptr_t(-5));
    window.UnhookMainWindow(&hook);
}

void TestApplicationWindow::sendFromAnotherThreadWaitsForTheResult() {
    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook hook(&log, "hook", 0xC500);
    window.HookMainWindow(&hook);
    intptr_t result = 0;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        result = window.SendMessage(0xC500, 0, 0);
        finished = true;
    });
    QTRY_VERIFY(finished); // the UI thread keeps running its loop meanwhile
    worker.join();
    QCOMPARE(result, intptr_t(42));
    QCOMPARE(hook.threads.front(), QThread::currentThread());
    window.UnhookMainWindow(&hook);
}

void TestApplicationWindow::hookFailureReachesTheSendingThread() {
    auto& window = TApplicationWindow::Instance();
    std::vector<QString> log;
    RecordingHook hook(&log, "hook");
    hook.onMessage = [] { throw std::runtime_error("hook failed"); };
    window.HookMainWindow(&hook);
    QString caught;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        try {
            window.SendMessage(0xC600, 0, 0);
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        finished = true;
    });
    QTRY_VERIFY(finished); // and not stuck waiting for a result
    worker.join();
    window.UnhookMainWindow(&hook);
    QCOMPARE(caught, QString("hook failed"));
}

void TestApplicationWindow::hookFailureWithAReportInstalled_data() {
    quillon::testing::AddColumns<bool, QStringList, QString>(
        {"sentFromThread", "reported", "caughtBySender"});
    // A posted message has no sender waiting for it: the program's report gets its failure.
    QTest::newRow("posted") << false << QStringList{"hook failed"} << "";
    // A sender waiting on another thread still gets it, and the report does not.
    QTest::newRow("sent from another thread") << true << QStringList{} << "hook failed";
}

void TestApplicationWindow::hookFailureWithAReportInstalled() {
    QFETCH(bool, sentFromThread);
    QFETCH(QStringList, reported);
    QFETCH(QString, caughtBySender);

    auto& window = TApplicationWindow::Instance();
    RecordingReport report;
    ErrorReport::Install(&report);
    std::vector<QString> log;
    RecordingHook hook(&log, "hook", 0xC700);
    hook.onMessage = [&] {
        if (log.size() == 1) {
            throw std::runtime_error("hook failed");
        }
    };
    window.HookMainWindow(&hook);
    QString caught;
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        if (sentFromThread) {
            try {
                window.SendMessage(0xC700, 0, 0);
            } catch (const std::runtime_error& e) {
                caught = e.what();
            }
        } else {
            TApplicationWindow::PostMessage(0xC700, 0, 0);
        }
        finished = true;
    });
    QTRY_VERIFY(finished);
    worker.join();
    QTRY_COMPARE(log.size(), std::size_t(1));
    // The window goes on delivering after the failure.
    TApplicationWindow::PostMessage(0xC700, 0, 0);
    QTRY_COMPARE(log.size(), std::size_t(2));
    window.UnhookMainWindow(&hook);
    ErrorReport::Remove(&report);
    QCOMPARE(report.texts, reported);
    QCOMPARE(caught, caughtBySender);
}

void TestApplicationWindow::reportIsRemovedOnlyByItsOwner() {
    RecordingReport installed, other;
    ErrorReport::Install(&installed);
    ErrorReport::Remove(&other);
    QCOMPARE(ErrorReport::Installed(), &installed);
    ErrorReport::Report(std::make_exception_ptr(std::logic_error("kept")));
    QCOMPARE(installed.texts, QStringList{"kept"});
    ErrorReport::Remove(&installed);
    QCOMPARE(ErrorReport::Installed(), nullptr);
    // With no report the failure goes back to whoever made the report.
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             ErrorReport::Report(std::make_exception_ptr(std::logic_error("x"))));
}

QTEST_GUILESS_MAIN(TestApplicationWindow)
#include "tst_applicationwindow.moc"
