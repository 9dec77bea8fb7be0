// Which device a COM port number opens, and what the operator reads when it cannot.
#include "DevicePath.h"

#include <QTemporaryFile>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>

using vantrel::DevicePath;

class TestDevicePath : public QObject {
    Q_OBJECT

private slots:
    void comPortMapsToDevice_data();
    void comPortMapsToDevice();
    void openFailureNamesDeviceAndReason_data();
    void openFailureNamesDeviceAndReason();
};

void TestDevicePath::comPortMapsToDevice_data() {
    QTest::addColumn<int>("comPort");
    QTest::addColumn<QByteArray>("variable"); // empty: unset
    QTest::addColumn<QString>("path");

    QTest::newRow("COM1 on board") << 1 << QByteArray() << "/dev/ttyS0";
    QTest::newRow("COM3 on board") << 3 << QByteArray() << "/dev/ttyS2";
    QTest::newRow("COM12 on board") << 12 << QByteArray() << "/dev/ttyS11";
    QTest::newRow("COM1 set") << 1 << QByteArray("/dev/ttyUSB0") << "/dev/ttyUSB0";
    QTest::newRow("COM9 set to a pty") << 9 << QByteArray("/dev/pts/7") << "/dev/pts/7";
}

void TestDevicePath::comPortMapsToDevice() {
    QFETCH(int, comPort);
    QFETCH(QByteArray, variable);
    QFETCH(QString, path);
    const QByteArray name = "VANTREL_COM" + QByteArray::number(comPort);
    // A neighbour's variable must not leak in.
    qputenv("VANTREL_COM" + QByteArray::number(comPort + 1), "/dev/wrong");
    if (variable.isEmpty()) {
        qunsetenv(name.constData());
    } else {
        qputenv(name.constData(), variable);
    }
    QCOMPARE(DevicePath::ForComPort(comPort), path);
    qunsetenv(name.constData());
    qunsetenv("VANTREL_COM" + QByteArray::number(comPort + 1));
}

void TestDevicePath::openFailureNamesDeviceAndReason_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("groupHint");

    QTest::newRow("permission") << int(QSerialPort::PermissionError) << "Permission denied" << true;
    QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << "No such file or directory"
                             << false;
    QTest::newRow("in use") << int(QSerialPort::OpenError) << "Device or resource busy" << false;
}

void TestDevicePath::openFailureNamesDeviceAndReason() {
    QFETCH(int, error);
    QFETCH(QString, reason);
    QFETCH(bool, groupHint);
    QTemporaryFile device;
    QVERIFY(device.open());
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(device.fileName()).constData(), &info), 0);
    const group* owner = ::getgrgid(info.st_gid);
    QVERIFY(owner);

    const QString line = DevicePath::OpenFailure(
        device.fileName(), static_cast<QSerialPort::SerialPortError>(error), reason);
    QVERIFY2(line.contains(device.fileName() + QStringLiteral(": ") + reason), qPrintable(line));
    QVERIFY(!line.contains('\n'));
    const QString hint = QStringLiteral("add yourself to group %1").arg(owner->gr_name);
    QCOMPARE(line.contains(hint), groupHint);
}

QTEST_GUILESS_MAIN(TestDevicePath)
#include "tst_devicepath.moc"
