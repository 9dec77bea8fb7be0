#include "platform/core/ApplicationWindow.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ModalCloser.h"
#include "tests/support/TestMain.h"

#include <QPushButton>

#include <stdexcept>

class TestTApplication : public QObject {
    Q_OBJECT
private slots:
    void handlerExceptionIsReported_data();
    void handlerExceptionIsReported();
    void postedMessageFailureIsReported();
};

void TestTApplication::handlerExceptionIsReported_data() {
    quillon::testing::AddColumns<QString, QString>({"message", "shown"});
    const QString invalid = QStringLiteral("'$G1' is not a valid integer value");
    QTest::newRow("full stop added") << invalid << invalid + ".";
    QTest::newRow("no second full stop") << QStringLiteral("Done.") << "Done.";
    QTest::newRow("not a standard exception") << QString() << "Unknown error.";
}

void TestTApplication::handlerExceptionIsReported() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QPushButton button("throw");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        quillon::platform::ToolkitCall([&] {
            ++clicks;
            if (message.isNull()) {
                throw 42;
            }
            throw std::invalid_argument(message.toStdString());
        });
    });
    button.show();
    ModalCloser closer;
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.titles.front(), QString("Quillon"));
    QCOMPARE(closer.texts.front(), shown);
    // The program goes on: the same button works again.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(closer.count(), 2);
}

// The application window knows no error box; the application object is its report.
void TestTApplication::postedMessageFailureIsReported() {
    struct ThrowingHook final : quillon::platform::IMessageHook {
        bool HookMessage(quillon::platform::TMessage& msg) override {
            if (msg.Msg == 0xC800) {
                throw std::runtime_error("hook failed");
            }
            return false;
        }
    } hook;
    auto& window = quillon::platform::TApplicationWindow::Instance();
    window.HookMainWindow(&hook);
    ModalCloser closer;
    quillon::platform::TApplicationWindow::PostMessage(0xC800, 0, 0);
    QTRY_COMPARE(closer.count(), 1);
    window.UnhookMainWindow(&hook);
    QCOMPARE(closer.titles.front(), QString("Quillon"));
    QCOMPARE(closer.texts.front(), QString("hook failed."));
    // Reported where it is caught, not by unwinding into the application's notify.
    quillon::platform::ErrorReport::Report(std::make_exception_ptr(std::runtime_error("reported")));
    QCOMPARE(closer.count(), 2);
    QCOMPARE(closer.texts.back(), QString("reported."));
}

QUILLON_TEST_MAIN(TestTApplication)
#include "tst_tapplication.moc"
