// COM numbers for serial devices: who gets which number, what a number opens, and what the
// window shows for it.
#include "tests/support/DataColumns.h"
#include "vantrel32/ComPortMap.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using quillon::link::ComPortMap;
using Source = ComPortMap::Source;

Q_DECLARE_METATYPE(ComPortMap::Source)

namespace {

const QString kByIdA = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
const QString kByIdB = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A9XYZ-if00-port0");

// "name>device", or a device alone that has no stable name.
QList<ComPortMap::Port> Ports(const QStringList& entries) {
    QList<ComPortMap::Port> ports;
    for (const QString& entry : entries) {
        const QStringList parts = entry.split('>');
        ports << ComPortMap::Port{parts.front(), parts.back()};
    }
    return ports;
}

// The settings' numbers as "COM<n>=name", sorted.
QStringList Saved(QSettings& settings) {
    QStringList saved;
    settings.beginGroup(QStringLiteral("ComPorts"));
    for (const QString& key : settings.childKeys()) {
        saved << key + '=' + settings.value(key).toString();
    }
    settings.endGroup();
    saved.sort();
    return saved;
}

} // namespace

class TestComPortMap : public QObject {
    Q_OBJECT

private slots:
    void init();
    void numbering_data();
    void numbering();
    void hint_data();
    void hint();

private:
    QTemporaryDir dir_;
};

void TestComPortMap::init() {
    for (int n = 1; n <= 9; ++n) {
        qunsetenv("VANTREL_COM" + QByteArray::number(n));
    }
}

void TestComPortMap::numbering_data() {
    quillon::testing::AddColumns<QStringList, QStringList, int, QString, Source, QStringList>(
        {"savedBefore", "ports", "number", "path", "source", "savedAfter"});

    const QString a = kByIdA + ">/dev/ttyUSB0";
    const QString b = kByIdB + ">/dev/ttyUSB1";
    QTest::newRow("a laptop's only board is COM1")
        << QStringList{} << QStringList{a} << 1 << kByIdA << Source::Numbered
        << QStringList{"COM1=" + kByIdA};
    QTest::newRow("the next board seen is COM2")
        << QStringList{"COM1=" + kByIdB} << QStringList{a, b} << 2 << kByIdA << Source::Numbered
        << QStringList{"COM1=" + kByIdB, "COM2=" + kByIdA};
    QTest::newRow("boards seen together: in the order of their names")
        << QStringList{} << QStringList{b, a} << 2 << kByIdB << Source::Numbered
        << QStringList{"COM1=" + kByIdA, "COM2=" + kByIdB};
    QTest::newRow("an unplugged board keeps its number")
        << QStringList{"COM1=" + kByIdA} << QStringList{b} << 1 << kByIdA << Source::Numbered
        << QStringList{"COM1=" + kByIdA, "COM2=" + kByIdB};
    QTest::newRow("a board moved to another ttyUSB is still itself")
        << QStringList{"COM1=" + kByIdA} << QStringList{kByIdA + ">/dev/ttyUSB3"} << 1 << kByIdA
        << Source::Numbered << QStringList{"COM1=" + kByIdA};
    QTest::newRow("a number freed by hand is given again")
        << QStringList{"COM2=" + kByIdB} << QStringList{a, b} << 1 << kByIdA << Source::Numbered
        << QStringList{"COM1=" + kByIdA, "COM2=" + kByIdB};
    QTest::newRow("a device without a stable name goes by its node")
        << QStringList{} << QStringList{"/dev/ttyAMA0"} << 1 << "/dev/ttyAMA0" << Source::Numbered
        << QStringList{"COM1=/dev/ttyAMA0"};
    QTest::newRow("a present on-board ttyS0 holds COM1")
        << QStringList{} << QStringList{"/dev/ttyS0", a} << 1 << "/dev/ttyS0" << Source::OnBoard
        << QStringList{"COM2=" + kByIdA};
    QTest::newRow("ttyS1 present, ttyS0 not: the board takes COM1")
        << QStringList{} << QStringList{"/dev/ttyS1", a} << 2 << "/dev/ttyS1" << Source::OnBoard
        << QStringList{"COM1=" + kByIdA};
    QTest::newRow("a number no device holds is the on-board port")
        << QStringList{"COM1=" + kByIdA} << QStringList{a} << 5 << "/dev/ttyS4" << Source::OnBoard
        << QStringList{"COM1=" + kByIdA};
    QTest::newRow("junk in the file is left alone")
        << QStringList{"COM0=/dev/x", "COMX=/dev/y", "COM1="} << QStringList{a} << 1 << kByIdA
        << Source::Numbered << QStringList{"COM0=/dev/x", "COM1=" + kByIdA, "COMX=/dev/y"};
}

void TestComPortMap::numbering() {
    QFETCH(QStringList, savedBefore);
    QFETCH(QStringList, ports);
    QFETCH(int, number);
    QFETCH(QString, path);
    QFETCH(Source, source);
    QFETCH(QStringList, savedAfter);
    QSettings settings(dir_.filePath(QTest::currentDataTag()), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("ComPorts"));
    for (const QString& entry : savedBefore) {
        settings.setValue(entry.section('=', 0, 0), entry.section('=', 1));
    }
    settings.endGroup();

    ComPortMap::Assign(settings, Ports(ports));
    const ComPortMap::Target target = ComPortMap::Resolve(number, settings, Ports(ports));
    QCOMPARE(target.number, number);
    QCOMPARE(target.path, path);
    QCOMPARE(target.source, source);
    QCOMPARE(Saved(settings), savedAfter);
    // Nothing new the second time round.
    QVERIFY(!ComPortMap::Assign(settings, Ports(ports)));
}

void TestComPortMap::hint_data() {
    quillon::testing::AddColumns<int, Source, QString, QString, QString>(
        {"number", "source", "path", "device", "hint"});

    QTest::newRow("a board by its stable name") << 1 << Source::Numbered << kByIdA << "/dev/ttyUSB0"
                                                << "COM1: " + kByIdA + " (/dev/ttyUSB0)";
    QTest::newRow("an unplugged board") << 2 << Source::Numbered << kByIdB << ""
                                        << "COM2: " + kByIdB + " (not present)";
    QTest::newRow("on board") << 1 << Source::OnBoard << "/dev/ttyS0"
                              << "/dev/ttyS0"
                              << "COM1: /dev/ttyS0";
    QTest::newRow("from the environment") << 9 << Source::Environment << "/dev/pts/4"
                                          << "/dev/pts/4"
                                          << "COM9: /dev/pts/4 (VANTREL_COM9)";
    QTest::newRow("from the environment, through a link")
        << 3 << Source::Environment << "/tmp/ttyADAPTER"
        << "/dev/pts/4"
        << "COM3: /tmp/ttyADAPTER (/dev/pts/4, VANTREL_COM3)";
}

void TestComPortMap::hint() {
    QFETCH(int, number);
    QFETCH(Source, source);
    QFETCH(QString, path);
    QFETCH(QString, device);
    QFETCH(QString, hint);
    ComPortMap::Target target;
    target.number = number;
    target.source = source;
    target.path = path;
    target.device = device;
    QCOMPARE(ComPortMap::Hint(target), hint);
}

QTEST_GUILESS_MAIN(TestComPortMap)
#include "tst_comportmap.moc"
