#include "ModalCloser.h"
#include "TestMain.h"

#include <QPushButton>

#include <stdexcept>

class TestTApplication : public QObject {
    Q_OBJECT
private slots:
    void handlerExceptionIsReported_data();
    void handlerExceptionIsReported();
};

void TestTApplication::handlerExceptionIsReported_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("full stop added") << "'$G1' is not a valid integer value"
                                     << "'$G1' is not a valid integer value.";
    QTest::newRow("no second full stop") << "Done."
                                         << "Done.";
}

void TestTApplication::handlerExceptionIsReported() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QPushButton button("throw");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        platform::ToolkitCall([&] {
            ++clicks;
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

QUILLON_TEST_MAIN(TestTApplication)
#include "tst_tapplication.moc"
