#include "sim/SimOptions.h"
#include "tests/support/DataColumns.h"

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
    void accepted_data();
    void accepted();
    void rejected_data();
    void rejected();
};

void TestSimOptions::accepted_data() {
    quillon::testing::AddColumns<QStringList, int, int, bool, int>(
        {"args", "bootMs", "lateReplyMs", "pace", "baud"});
    QTest::newRow("nothing") << QStringList{} << 0 << 0 << false << 9600;
    QTest::newRow("boot") << QStringList{"--boot-ms", "800"} << 800 << 0 << false << 9600;
    QTest::newRow("boot inline, late reply")
        << QStringList{"--boot-ms=1200", "--late-reply", "40"} << 1200 << 40 << false << 9600;
    QTest::newRow("baud implies pacing") << QStringList{"--baud=2400"} << 0 << 0 << true << 2400;
}

void TestSimOptions::accepted() {
    QFETCH(QStringList, args);
    QFETCH(int, bootMs);
    QFETCH(int, lateReplyMs);
    QFETCH(bool, pace);
    QFETCH(int, baud);
    SimOptions options;
    const auto problem = options.Parse(Args(args));
    QVERIFY2(!problem, problem.value_or("").c_str());
    QCOMPARE(options.bootMs, bootMs);
    QCOMPARE(options.line.lateReplyMs, lateReplyMs);
    QCOMPARE(options.pace, pace);
    QCOMPARE(options.baud, baud);
}

void TestSimOptions::rejected_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"--fast"};
    QTest::newRow("stray argument") << QStringList{"/dev/pts/3"};
    QTest::newRow("missing value") << QStringList{"--late-reply"};
    QTest::newRow("negative delay") << QStringList{"--late-reply", "-5"};
    QTest::newRow("negative boot") << QStringList{"--boot-ms=-1"};
    QTest::newRow("boot without value") << QStringList{"--boot-ms"};
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
    const auto problem = options.Parse(Args(args));
    QVERIFY(problem);
    QVERIFY(!problem->empty());
}

QTEST_APPLESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
