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
    void defaults();
    void accepted_data();
    void accepted();
    void rejected_data();
    void rejected();
};

void TestSimOptions::defaults() {
    SimOptions options;
    std::string error;
    QVERIFY(SimOptions::Parse({}, options, error));
    QCOMPARE(options.version, std::string("Quillon Adapter V1.0 (simulator)"));
    QVERIFY(!options.pace && !options.camera && !options.noReply);
    QCOMPARE(options.lateReplyMs, 0);
    QCOMPARE(options.garbage, 0);
    QCOMPARE(options.hangupAfter, 0);
    QCOMPARE(options.baud, 9600);
}

void TestSimOptions::accepted_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("link") << QStringList{"--link", "/tmp/x"} << "link"
                          << "/tmp/x";
    QTest::newRow("state, = form") << QStringList{"--state=/tmp/s"} << "state"
                                   << "/tmp/s";
    QTest::newRow("version") << QStringList{"--version", "Box 2"} << "version"
                             << "Box 2";
    QTest::newRow("camera") << QStringList{"--camera"} << "camera"
                            << "1";
    QTest::newRow("no reply") << QStringList{"--no-reply"} << "noReply"
                              << "1";
    QTest::newRow("late reply") << QStringList{"--late-reply", "250"} << "lateReplyMs"
                                << "250";
    QTest::newRow("garbage") << QStringList{"--garbage=12"} << "garbage"
                             << "12";
    QTest::newRow("hang-up") << QStringList{"--hangup-after", "2"} << "hangupAfter"
                             << "2";
    QTest::newRow("pace") << QStringList{"--pace"} << "pace"
                          << "1";
    QTest::newRow("baud implies pacing") << QStringList{"--baud", "2400"} << "pace"
                                         << "1";
    QTest::newRow("baud") << QStringList{"--baud", "2400"} << "baud"
                          << "2400";
    QTest::newRow("seed") << QStringList{"--seed", "4294967295"} << "seed"
                          << "4294967295";
}

void TestSimOptions::accepted() {
    QFETCH(QStringList, args);
    QFETCH(QString, field);
    QFETCH(QString, value);

    SimOptions options;
    std::string error;
    QVERIFY2(SimOptions::Parse(Args(args), options, error), error.c_str());
    const QHash<QString, QString> fields{
        {"link", QString::fromStdString(options.link)},
        {"state", QString::fromStdString(options.state)},
        {"version", QString::fromStdString(options.version)},
        {"camera", QString::number(options.camera)},
        {"noReply", QString::number(options.noReply)},
        {"lateReplyMs", QString::number(options.lateReplyMs)},
        {"garbage", QString::number(options.garbage)},
        {"hangupAfter", QString::number(options.hangupAfter)},
        {"pace", QString::number(options.pace)},
        {"baud", QString::number(options.baud)},
        {"seed", options.seed ? QString::number(*options.seed) : QString()},
    };
    QCOMPARE(fields.value(field), value);
}

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

QTEST_APPLESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
