#include "SimOptions.h"

#include <QtTest>

using quillon::sim::SimOptions;

namespace {
std::vector<std::string> Args(const QStringList& list) {
    std::vector<std::string> args;
    for (const QString& arg : list) {
        args.push_back(arg.toStdString());
    }
    return args;
}
} // namespace

class TestSimOptions : public QObject {
    Q_OBJECT

private slots:
    void baudImpliesPacing();
    void rejected_data();
    void rejected();
};

void TestSimOptions::rejected_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"--fast"};
    QTest::newRow("stray argument") << QStringList{"/dev/pts/3"};
    QTest::newRow("missing value") << QStringList{"--late-reply"};
    QTest::newRow("negative delay") << QStringList{"--late-reply", "-5"};
    QTest::newRow("not a number") << QStringList{"--garbage", "ten"};
    QTest::newRow("number with suffix") << QStringList{"--garbage", "10x"};
    QTest::newRow("hang-up after 0") << QStringList{"--hangup-after", "0"};
    QTest::newRow("baud 0") << QStringList{"--baud", "0"};
    QTest::newRow("seed too large") << QStringList{"--seed", "4294967296"};
    QTest::newRow("empty version") << QStringList{"--version", ""};
    QTest::newRow("version too long") << QStringList{"--version", QString(65, 'v')};
    QTest::newRow("flag with value") << QStringList{"--camera=1"};
    QTest::newRow("empty link") << QStringList{"--link="};
}

void TestSimOptions::rejected() {
    QFETCH(QStringList, args);
    SimOptions options;
    std::string error;
    QVERIFY(!SimOptions::Parse(Args(args), options, error));
    QVERIFY(!error.empty());
}

void TestSimOptions::baudImpliesPacing() {
    SimOptions options;
    std::string error;
    QVERIFY(SimOptions::Parse(Args({"--baud=2400"}), options, error));
    QVERIFY(options.pace);
    QCOMPARE(options.baud, 2400);
}

QTEST_APPLESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
