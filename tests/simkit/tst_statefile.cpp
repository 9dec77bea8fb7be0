#include "simkit/StateFile.h"
#include "tests/support/DataColumns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using quillon::simkit::StateFile;

class TestStateFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void saveThenLoad_data();
    void saveThenLoad();
    void missingFileIsNotAnError();
    void malformedFileIsReported_data();
    void malformedFileIsReported();
    void saveReplacesOldContentAndLeavesNoTemporary();
    void saveIntoMissingDirectoryFails();
};

void StateFileWrite(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void TestStateFile::parse_data() {
    // address: -1: rejected
    quillon::testing::AddColumns<QByteArray, int>({"text", "address"});

    QTest::newRow("as written") << QByteArray("address 7E\n") << 0x7E;
    QTest::newRow("no newline") << QByteArray("address 40") << 0x40;
    QTest::newRow("lower-case digits") << QByteArray("address 4a\n") << 0x4A;
    QTest::newRow("odd address") << QByteArray("address 41\n") << -1;
    QTest::newRow("one digit") << QByteArray("address 4\n") << -1;
    QTest::newRow("three digits") << QByteArray("address 040\n") << -1;
    QTest::newRow("not hex") << QByteArray("address 4G\n") << -1;
    QTest::newRow("trailing text") << QByteArray("address 40 x\n") << -1;
    QTest::newRow("two lines") << QByteArray("address 40\naddress 42\n") << -1;
    QTest::newRow("wrong key") << QByteArray("adress 40\n") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void TestStateFile::parse() {
    QFETCH(QByteArray, text);
    QFETCH(int, address);
    const auto parsed = StateFile::Parse(text.toStdString());
    QCOMPARE(parsed ? int(*parsed) : -1, address);
}

void TestStateFile::saveThenLoad_data() {
    QTest::addColumn<int>("address");
    QTest::newRow("PCF8574") << 0x4E;
    QTest::newRow("PCF8574A") << 0x70;
    QTest::newRow("zero") << 0x00;
    QTest::newRow("top") << 0xFE;
}

void TestStateFile::saveThenLoad() {
    QFETCH(int, address);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const StateFile file(dir.filePath("adapter.state").toStdString());
    const auto error = file.Save(uint8_t(address));
    QVERIFY2(!error, error.value_or("").c_str());
    const auto loaded = StateFile(file.Path()).Load();
    QCOMPARE(loaded.status, StateFile::LoadStatus::Loaded);
    QCOMPARE(int(loaded.address), address);
}

void TestStateFile::missingFileIsNotAnError() {
    QTemporaryDir dir;
    const auto loaded = StateFile(dir.filePath("none").toStdString()).Load();
    QCOMPARE(loaded.status, StateFile::LoadStatus::Missing);
    QVERIFY(loaded.error.empty());
}

void TestStateFile::malformedFileIsReported_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("garbage") << QByteArray("hello\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("huge") << QByteArray(100000, 'a');
    QTest::newRow("binary") << QByteArray("\x00\x01\x02", 3);
}

void TestStateFile::malformedFileIsReported() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath("adapter.state");
    StateFileWrite(path, content);
    const auto loaded = StateFile(path.toStdString()).Load();
    QCOMPARE(loaded.status, StateFile::LoadStatus::Malformed);
    QVERIFY(loaded.error.find(path.toStdString()) != std::string::npos);
}

void TestStateFile::saveReplacesOldContentAndLeavesNoTemporary() {
    QTemporaryDir dir;
    const QString path = dir.filePath("adapter.state");
    StateFileWrite(path, QByteArray(500, 'x'));
    const auto error = StateFile(path.toStdString()).Save(0x72);
    QVERIFY2(!error, error.value_or("").c_str());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("address 72\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"adapter.state"});
}

void TestStateFile::saveIntoMissingDirectoryFails() {
    QTemporaryDir dir;
    const StateFile file(dir.filePath("no/such/dir/adapter.state").toStdString());
    const auto error = file.Save(0x40);
    QVERIFY(error);
    QVERIFY(!error->empty());
}

QTEST_APPLESS_MAIN(TestStateFile)
#include "tst_statefile.moc"
