// What the operator reads when a device cannot be opened.
#include "tests/support/DeviceAccessRows.h"
#include "vantrel32/DevicePath.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using quillon::link::DevicePath;
using KernelAnswer = DevicePath::KernelAnswer;

Q_DECLARE_METATYPE(DevicePath::KernelAnswer)

namespace {
constexpr uid_t kRoot = 0;
constexpr uid_t kOperator = 1000;
constexpr gid_t kDialout = 20;
constexpr gid_t kOperatorGroup = 1000;
const QString kInUse = QStringLiteral("the device is in use by another program");
const QString kAsk = QStringLiteral("ask for read and write access to the device");
const QString kJoinDialout = QStringLiteral("add yourself to group dialout and log in again");
} // namespace

class TestDevicePath : public QObject {
    Q_OBJECT

private slots:
    void permissionAdvice_data();
    void permissionAdvice();
    void kernelAnswerOverBits_data();
    void kernelAnswerOverBits();
    void kernelIsAskedAboutTheFile();
    void openFailureNamesDeviceAndReason_data();
    void openFailureNamesDeviceAndReason();
    void deviceHeldByAnotherOpeningIsInUse();
};

void TestDevicePath::permissionAdvice_data() {
    quillon::testing::AddDeviceAccessColumns();
    QTest::addColumn<QString>("advice");

    const QList<uint> alone{kOperatorGroup};
    const QList<uint> inDialout{kOperatorGroup, kDialout};
    QTest::newRow("root's own device, group root")
        << uint(kRoot) << 0u << "root" << 0600u << uint(kOperator) << alone << kAsk;
    QTest::newRow("group root may read and write: still not a group to join")
        << uint(kRoot) << 0u << "root" << 0660u << uint(kOperator) << alone << kAsk;
    QTest::newRow("dialout may read and write")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0660u << uint(kOperator) << alone
        << kJoinDialout;
    QTest::newRow("dialout may only read")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0640u << uint(kOperator) << alone << kAsk;
    QTest::newRow("dialout shut out")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0600u << uint(kOperator) << alone << kAsk;
    QTest::newRow("group without a name")
        << uint(kRoot) << uint(kDialout) << "" << 0660u << uint(kOperator) << alone << kAsk;
    QTest::newRow("already in dialout: someone else has it")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0660u << uint(kOperator) << inDialout
        << kInUse;
    QTest::newRow("open to everyone: someone else has it")
        << uint(kRoot) << 0u << "root" << 0666u << uint(kOperator) << alone << kInUse;
    QTest::newRow("the user's own device") << uint(kOperator) << uint(kOperatorGroup) << "operator"
                                           << 0600u << uint(kOperator) << alone << kInUse;
    QTest::newRow("owner bits count, not the group's")
        << uint(kOperator) << uint(kDialout) << "dialout" << 0460u << uint(kOperator) << inDialout
        << kJoinDialout;
    QTest::newRow("root is refused only by another program")
        << uint(kRoot) << 0u << "root" << 0600u << uint(kRoot) << QList<uint>{0u} << kInUse;
}

void TestDevicePath::permissionAdvice() {
    QFETCH(QString, advice);
    DevicePath::Access access = quillon::testing::FetchDeviceAccess();
    access.mode |= S_IFCHR;
    QCOMPARE(DevicePath::PermissionAdvice(access), advice);
}

// The kernel also weighs access control lists, which the bits do not show: the desktop's
// entry for the person at it opens a dialout device to someone outside dialout.
void TestDevicePath::kernelAnswerOverBits_data() {
    quillon::testing::AddDeviceAccessColumns();
    quillon::testing::AddColumns<KernelAnswer, QString>({"kernel", "advice"});

    const QList<uint> alone{kOperatorGroup};
    QTest::newRow("outside dialout, granted by the desktop's entry: someone else has it")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0660u << uint(kOperator) << alone
        << KernelAnswer::Granted << kInUse;
    QTest::newRow("open to everyone, refused by an entry for the user")
        << uint(kRoot) << 0u << "root" << 0666u << uint(kOperator) << alone << KernelAnswer::Refused
        << kAsk;
    QTest::newRow("not asked: the bits decide")
        << uint(kRoot) << uint(kDialout) << "dialout" << 0660u << uint(kOperator) << alone
        << KernelAnswer::NotAsked << kJoinDialout;
}

void TestDevicePath::kernelAnswerOverBits() {
    QFETCH(KernelAnswer, kernel);
    QFETCH(QString, advice);
    DevicePath::Access access = quillon::testing::FetchDeviceAccess();
    access.kernel = kernel;
    QCOMPARE(DevicePath::PermissionAdvice(access), advice);
    QCOMPARE(DevicePath::MayReadWrite(access), kernel == KernelAnswer::Granted);
}

// Read from a real file: ours to read and write; shut to everyone but root once its bits
// are cleared.
void TestDevicePath::kernelIsAskedAboutTheFile() {
    QTemporaryFile file;
    QVERIFY(file.open());
    DevicePath::Access access;
    QVERIFY(DevicePath::ReadAccess(file.fileName(), access));
    QCOMPARE(access.kernel, KernelAnswer::Granted);
    QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    access = {};
    QVERIFY(DevicePath::ReadAccess(file.fileName(), access));
    QCOMPARE(access.kernel, ::geteuid() == kRoot ? KernelAnswer::Granted : KernelAnswer::Refused);
}

void TestDevicePath::openFailureNamesDeviceAndReason_data() {
    // advice: in brackets after the reason; empty: none
    quillon::testing::AddColumns<int, QString, int, QString>(
        {"error", "reason", "comNumber", "advice"});

    // The file is ours to read and write: only another program can have refused it.
    QTest::newRow("permission") << int(QSerialPort::PermissionError)
                                << "Permission error while locking the device" << 0 << kInUse;
    QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << "No such file or directory"
                             << 0 << QString();
    QTest::newRow("missing board that keeps its number")
        << int(QSerialPort::DeviceNotFoundError) << "No such file or directory" << 2
        << "COM2 is this device's number: plug it in";
    QTest::newRow("in use") << int(QSerialPort::OpenError) << "Device or resource busy" << 0
                            << QString();
}

void TestDevicePath::openFailureNamesDeviceAndReason() {
    QFETCH(int, error);
    QFETCH(QString, reason);
    QFETCH(int, comNumber);
    QFETCH(QString, advice);
    QTemporaryFile device;
    QVERIFY(device.open());

    const QString line = DevicePath::OpenFailure(
        device.fileName(), static_cast<QSerialPort::SerialPortError>(error), reason, comNumber);
    const QString start =
        QStringLiteral("Vantrel32: cannot open %1: %2").arg(device.fileName(), reason);
    QCOMPARE(line, advice.isEmpty() ? start : start + " (" + advice + ")");
}

// The real thing: a second opening of a port this process holds is refused by its lock.
void TestDevicePath::deviceHeldByAnotherOpeningIsInUse() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString path = QString::fromLocal8Bit(::ptsname(master));
    QSerialPort first;
    first.setPortName(path);
    QVERIFY2(first.open(QIODevice::ReadWrite), qPrintable(first.errorString()));
    QSerialPort second;
    second.setPortName(path);
    QVERIFY(!second.open(QIODevice::ReadWrite));
    QCOMPARE(second.error(), QSerialPort::PermissionError);
    const QString line = DevicePath::OpenFailure(path, second.error(), second.errorString());
    QVERIFY2(line.endsWith(" (" + kInUse + ")"), qPrintable(line));
    first.close();
    ::close(master);
}

QTEST_GUILESS_MAIN(TestDevicePath)
#include "tst_devicepath.moc"
