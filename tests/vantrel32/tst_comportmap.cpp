// COM numbers for serial devices: who gets which number, what a number opens, and what the
// window shows for it.
#include "tests/support/DataColumns.h"
#include "vantrel32/ComPortMap.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using quillon::link::ComPortMap;
using Source = ComPortMap::Source;
using SerialNumber = ComPortMap::SerialNumber;

Q_DECLARE_METATYPE(ComPortMap::Source)
Q_DECLARE_METATYPE(ComPortMap::SerialNumber)

namespace {

const QString kByIdA = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
const QString kByIdB = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A9XYZ-if00-port0");
// Two CH340 clones share one by-id name; their USB ports tell them apart.
const QString kByIdClone = QStringLiteral("/dev/serial/by-id/usb-1a86_USB2.0-Serial-if00-port0");
const QString kPort1 = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0");
const QString kPort2 = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");

// "name>device", "name>device|shared name", or a device alone that has no stable name.
QList<ComPortMap::Port> Ports(const QStringList& entries) {
    QList<ComPortMap::Port> ports;
    for (const QString& entry : entries) {
        const QStringList parts = entry.section('|', 0, 0).split('>');
        ports << ComPortMap::Port{parts.front(), parts.back(), entry.section('|', 1)};
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
    void naming_data();
    void naming();
    void numbering_data();
    void numbering();
    void hint_data();
    void hint();
    void twoClonesKeepTheirNumbersByTheirPorts();

private:
    QTemporaryDir dir_;
};

void TestComPortMap::init() {
    for (int n = 1; n <= 9; ++n) {
        qunsetenv("VANTREL_COM" + QByteArray::number(n));
    }
}

void TestComPortMap::naming_data() {
    quillon::testing::AddColumns<QString, QString, SerialNumber, QString, QString>(
        {"byId", "byPath", "serialNumber", "name", "sharedName"});

    QTest::newRow("a serial number: known by it wherever it is plugged in")
        << kByIdB << kPort1 << SerialNumber::Own << kByIdB << "";
    QTest::newRow("no serial number: known by its port, its shared name kept aside")
        << kByIdClone << kPort1 << SerialNumber::None << kPort1 << kByIdClone;
    QTest::newRow("the twin that got no by-id link: its port")
        << "" << kPort2 << SerialNumber::None << kPort2 << "";
    QTest::newRow("twins with one serial number: the one without the link, its port")
        << "" << kPort2 << SerialNumber::Own << kPort2 << "";
    QTest::newRow("no serial number and no by-path link: the by-id link still names it")
        << kByIdClone << "" << SerialNumber::None << kByIdClone << "";
    QTest::newRow("no link at all: the node")
        << QString() << QString() << SerialNumber::None << "/dev/ttyAMA0" << QString();
}

void TestComPortMap::naming() {
    QFETCH(QString, byId);
    QFETCH(QString, byPath);
    QFETCH(SerialNumber, serialNumber);
    QFETCH(QString, name);
    QFETCH(QString, sharedName);
    const QString node = QStringLiteral("/dev/ttyAMA0");
    const ComPortMap::Port port = ComPortMap::Named({node, byId, byPath, serialNumber});
    QCOMPARE(port.name, name);
    QCOMPARE(port.device, node);
    QCOMPARE(port.sharedName, sharedName);
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
    QTest::newRow("a clone numbered by its shared name keeps the number, now by its port")
        << QStringList{"COM1=" + kByIdClone, "COM2=" + kByIdB}
        << QStringList{kPort2 + ">/dev/ttyUSB3|" + kByIdClone, kPort1 + ">/dev/ttyUSB2", b} << 1
        << kPort2 << Source::Numbered
        << QStringList{"COM1=" + kPort2, "COM2=" + kByIdB, "COM3=" + kPort1};
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

// Two identical clones through the test hooks' fake link folders, as udev lays them out: each
// port has a usb- and a usbv2- by-path link, and the one by-id name leads to whichever clone
// udev handled last. Each keeps its number by its port as they come and go.
void TestComPortMap::twoClonesKeepTheirNumbersByTheirPorts() {
    QTemporaryDir config;
    QTemporaryDir byId;
    QTemporaryDir byPath;
    QTemporaryDir devices;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldById = qgetenv("QUILLON_SERIAL_BY_ID");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("QUILLON_SERIAL_BY_ID", QFile::encodeName(byId.path()));
    qputenv("QUILLON_SERIAL_BY_PATH", QFile::encodeName(byPath.path()));
    const QString devicesPath = QDir(devices.path()).canonicalPath();
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyUSB2"}) {
        QFile file(devicesPath + '/' + node);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto portLink = [&](int port, const char* kind) {
        return byPath.filePath(QStringLiteral("pci-0000:00:14.0-%1-0:%2:1.0-port0")
                                   .arg(QLatin1String(kind))
                                   .arg(port));
    };
    // Plugs or unplugs: udev's links for each port (1..3) with a clone in it, and the shared
    // by-id link to the clone handled last.
    const auto lay = [&](const std::map<int, QString>& nodeInPort, const QString& sharedTo) {
        for (const QDir& folder : {QDir(byId.path()), QDir(byPath.path())}) {
            for (const QString& link : folder.entryList(QDir::System | QDir::Files)) {
                QFile::remove(folder.filePath(link));
            }
        }
        bool made = QFile::link(devicesPath + '/' + sharedTo,
                                byId.filePath("usb-1a86_USB2.0-Serial-if00-port0"));
        for (const auto& [port, node] : nodeInPort) {
            made = made && QFile::link(devicesPath + '/' + node, portLink(port, "usb"));
            made = made && QFile::link(devicesPath + '/' + node, portLink(port, "usbv2"));
        }
        return made;
    };
    const auto device = [](int number) { return ComPortMap::Lookup(number).device; };

    QVERIFY(lay({{1, "ttyUSB0"}, {2, "ttyUSB1"}}, "ttyUSB1"));
    QCOMPARE(ComPortMap::Lookup(1).path, portLink(1, "usb"));
    QCOMPARE(device(1), devicesPath + "/ttyUSB0");
    QCOMPARE(device(2), devicesPath + "/ttyUSB1");
    // Plugged in again the other way round: the by-id link changes sides, the ports do not.
    QVERIFY(lay({{1, "ttyUSB1"}, {2, "ttyUSB0"}}, "ttyUSB0"));
    QCOMPARE(device(1), devicesPath + "/ttyUSB1");
    QCOMPARE(device(2), devicesPath + "/ttyUSB0");
    // The clone in port 2 is gone, a third turns up in port 3: COM2 stays port 2's.
    QVERIFY(lay({{1, "ttyUSB0"}, {3, "ttyUSB2"}}, "ttyUSB2"));
    QCOMPARE(device(1), devicesPath + "/ttyUSB0");
    QCOMPARE(device(2), QString());
    QCOMPARE(ComPortMap::Lookup(3).path, portLink(3, "usb"));
    QCOMPARE(device(3), devicesPath + "/ttyUSB2");
    QSettings saved(ComPortMap::SettingsFile(), QSettings::IniFormat);
    QCOMPARE(Saved(saved), (QStringList{"COM1=" + portLink(1, "usb"), "COM2=" + portLink(2, "usb"),
                                        "COM3=" + portLink(3, "usb")}));
    qunsetenv("QUILLON_SERIAL_BY_PATH");
    qputenv("QUILLON_SERIAL_BY_ID", oldById);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

QTEST_GUILESS_MAIN(TestComPortMap)
#include "tst_comportmap.moc"
