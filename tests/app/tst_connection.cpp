#include "CaptionFit.h"
#include "adapter/Vantrel.h"
#include "app/UnitMain.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ModalCloser.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"

#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

class TestConnection : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;

private slots:
    void init() {
        recorder::Reset();
        form = std::make_unique<TForm1>();
        form->show();
    }
    void cleanup() { form.reset(); }

    void startState();
    void storedSettingsReachTheLibrary();
    void upDownStopsAtItsLimits_data();
    void upDownStopsAtItsLimits();
    void btnComAsksAndInverts_data();
    void btnComAsksAndInverts();
    void openShowsThePortTheLibraryReports();
    void closeShowsQuestionMark();
    void timeOutShowsModalBoxAndKeepsCaption();
    void comButtonHintNamesTheDevice();
    void destroyingTheWindowEndsTheLibraryInstance();
    void everyTextFitsItsControl();
};

void TestConnection::startState() {
    QCOMPARE(form->windowTitle(), QString("DEMO - Quillon V1.0"));
    QCOMPARE(form->size(), QSize(458, 435));
    QCOMPARE(form->PageControl1->count(), 3);
    QCOMPARE(form->PageControl1->tabText(0), QString("PCF8574"));
    QCOMPARE(form->PageControl1->tabText(1), QString("Sony RPU-C251 / C352"));
    QCOMPARE(form->PageControl1->tabText(2), QString("Info"));
    QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet2);
    QCOMPARE(form->BtnCOM->text(), QString("COM?"));
    QCOMPARE(form->InComNr->text(), QString("1"));
    QVERIFY(form->InComNr->isReadOnly());
    QCOMPARE(form->StatusText(), QString());
    QCOMPARE(form->StatusPanel->width(), 150);
    QVERIFY(!form->Timer1->isActive());
    QCOMPARE(form->Timer1->interval(), 250);
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
}

void TestConnection::storedSettingsReachTheLibrary() {
    QCOMPARE(QString::fromStdString(recorder::Trace()),
             "VantrelCreate() SetComPort(3) SetTimeOut(1500)");
}

void TestConnection::upDownStopsAtItsLimits_data() {
    quillon::testing::AddColumns<int, int, QString>({"ups", "downs", "shown"});
    QTest::newRow("down at 1 stays 1") << 0 << 1 << "1";
    QTest::newRow("up once") << 1 << 0 << "2";
    QTest::newRow("up to 9") << 8 << 0 << "9";
    QTest::newRow("up past 9 does not wrap") << 12 << 0 << "9";
    QTest::newRow("up to 9 and back down") << 8 << 3 << "6";
    QTest::newRow("down past 1 does not wrap") << 2 << 5 << "1";
}

void TestConnection::upDownStopsAtItsLimits() {
    QFETCH(int, ups);
    QFETCH(int, downs);
    QFETCH(QString, shown);
    recorder::Calls().clear();
    for (int i = 0; i < ups; ++i) {
        QTest::mouseClick(form->UpDown1->UpButton(), Qt::LeftButton);
    }
    for (int i = 0; i < downs; ++i) {
        QTest::mouseClick(form->UpDown1->DownButton(), Qt::LeftButton);
    }
    QCOMPARE(form->InComNr->text(), shown);
    const auto sets = recorder::CallsNamed("SetComPort");
    QCOMPARE(int(sets.size()), ups + downs);
    QCOMPARE(sets.back().args.front(), shown.toLongLong());
    // Changing the number only passes it on: no connect, no status, no caption.
    QCOMPARE(recorder::CountOf("Connect"), 0);
    QCOMPARE(form->StatusText(), QString());
    QCOMPARE(form->BtnCOM->text(), QString("COM?"));
}

void TestConnection::btnComAsksAndInverts_data() {
    quillon::testing::AddColumns<int, int, QString>({"connected", "ups", "trace"});
    QTest::newRow("closed: open port 1") << 0 << 0 << "SetComPort(1) IsConnected() Connect(1)";
    QTest::newRow("closed: open port 4") << 0 << 3 << "SetComPort(4) IsConnected() Connect(1)";
    QTest::newRow("open: pass number, close") << 1 << 0 << "SetComPort(1) IsConnected() Connect(0)";
}

void TestConnection::btnComAsksAndInverts() {
    QFETCH(int, connected);
    QFETCH(int, ups);
    QFETCH(QString, trace);
    for (int i = 0; i < ups; ++i) {
        QTest::mouseClick(form->UpDown1->UpButton(), Qt::LeftButton);
    }
    recorder::State().connected = static_cast<uint8_t>(connected);
    recorder::Calls().clear();
    QTest::mouseClick(form->BtnCOM, Qt::LeftButton);
    QCOMPARE(QString::fromStdString(recorder::Trace()), trace);
    // Caption and status wait for the library's notification.
    QCOMPARE(form->BtnCOM->text(), QString("COM?"));
    QCOMPARE(form->StatusText(), QString());
}

void TestConnection::openShowsThePortTheLibraryReports() {
    recorder::State().comPort = 7; // not what InComNr shows: the library's word counts
    recorder::Notify(VANTREL_NOTIFY_OPENED);
    QCOMPARE(form->BtnCOM->text(), QString("COM7"));
    QCOMPARE(form->StatusText(), QString("COMPort open"));
}

void TestConnection::closeShowsQuestionMark() {
    recorder::State().comPort = 2;
    recorder::Notify(VANTREL_NOTIFY_OPENED);
    recorder::Notify(VANTREL_NOTIFY_CLOSED);
    QCOMPARE(form->BtnCOM->text(), QString("COM?"));
    QCOMPARE(form->StatusText(), QString("COMPort closed"));
}

void TestConnection::timeOutShowsModalBoxAndKeepsCaption() {
    recorder::State().comPort = 3;
    recorder::Notify(VANTREL_NOTIFY_OPENED);
    ModalCloser closer;
    recorder::Notify(VANTREL_NOTIFY_TIMEOUT);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.texts.front(), QString("TIMEOUT"));
    QCOMPARE(closer.titles.front(), QString("Quillon"));
    QCOMPARE(form->StatusText(), QString("ERROR: TimeOut"));
    QCOMPARE(form->BtnCOM->text(), QString("COM3"));
}

void TestConnection::comButtonHintNamesTheDevice() {
    QTemporaryDir config;
    QTemporaryDir byId;
    QTemporaryDir devices;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldById = qgetenv("QUILLON_SERIAL_BY_ID");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("QUILLON_SERIAL_BY_ID", QFile::encodeName(byId.path()));
    QFile device(devices.filePath("ttyUSB0"));
    QVERIFY(device.open(QIODevice::WriteOnly));
    const QString link = byId.filePath("usb-1a86_USB_Serial-if00-port0");
    QVERIFY(QFile::link(device.fileName(), link));

    // The hint is worked out when the pointer rests on the button.
    const auto hint = [this] {
        const QPoint at(5, 5);
        QHelpEvent hover(QEvent::ToolTip, at, form->BtnCOM->mapToGlobal(at));
        QCoreApplication::sendEvent(form->BtnCOM, &hover);
        return form->BtnCOM->toolTip();
    };
    const QString node = QDir(devices.path()).canonicalPath() + "/ttyUSB0";
    QCOMPARE(hint(), QString("COM1: %1 (%2)").arg(link, node));
    QTest::mouseClick(form->UpDown1->UpButton(), Qt::LeftButton);
    QCOMPARE(hint(), QString("COM2: /dev/ttyS1 (not present)"));
    QCOMPARE(form->BtnCOM->text(), QString("COM?"));
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("QUILLON_SERIAL_BY_ID", oldById);
}

void TestConnection::destroyingTheWindowEndsTheLibraryInstance() {
    recorder::Calls().clear();
    form.reset();
    QCOMPARE(QString::fromStdString(recorder::Trace()), "VantrelDestroy()");
}

// Measured with the window's real fonts, so a fallback face that runs wider than the one the
// layout was drawn for shows up here. QUILLON_SCREENSHOTS names a folder to keep a picture
// of each page in, for a look at the result.
void TestConnection::everyTextFitsItsControl() {
    // The texts that change at run time, each display with every value it can take.
    QHash<QWidget*, QStringList> shown;
    for (quillon::app::TStatusText status : quillon::app::kAllStatusTexts) {
        shown[form->StatusPanel] << quillon::app::StatusCaption(status);
    }
    for (int port = 1; port <= 9; ++port) {
        recorder::State().comPort = static_cast<uint16_t>(port);
        recorder::Notify(VANTREL_NOTIFY_OPENED);
        shown[form->BtnCOM] << form->BtnCOM->text();
        shown[form->InComNr] << form->InComNr->text();
        QTest::mouseClick(form->UpDown1->UpButton(), Qt::LeftButton);
    }
    for (int value = 0; value <= 0xFF; ++value) {
        for (QWidget* panel : {form->PlPort, form->PlRPUPort, form->PlSlvAdr}) {
            shown[panel] << "0x" + TForm1::Hex2(value);
        }
        shown[form->EditWrite] << TForm1::Hex2(value);
    }
    QCOMPARE(shown[form->StatusPanel].size(), 16); // the status line's whole vocabulary

    const QString pictures = qEnvironmentVariable("QUILLON_SCREENSHOTS");
    QStringList misfits;
    for (int page = 0; page < form->PageControl1->count(); ++page) {
        form->PageControl1->setCurrentIndex(page);
        int measured = 0;
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (w->isVisible()) {
                misfits << CaptionMisfits(w, QStringList{CaptionOf(w)} + shown.value(w));
                measured += CaptionOf(w).isEmpty() ? 0 : 1;
                // One face throughout, also where a style sheet sets size or weight.
                const QString face = QFontInfo(w->font()).family();
                if (face != QFontInfo(form->font()).family()) {
                    misfits << w->objectName() + " in " + face;
                }
            }
        }
        QVERIFY2(measured >= 10, qPrintable(QString::number(measured)));
        if (!pictures.isEmpty()) {
            form->StatusPanel->setText(
                quillon::app::StatusCaption(quillon::app::TStatusText::WritePortClosed));
            const QString file =
                QDir(pictures).filePath(QStringLiteral("page%1.png").arg(page + 1));
            QVERIFY(form->grab().save(file));
        }
    }
    misfits.removeDuplicates();
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join('\n')));
}

QUILLON_TEST_MAIN(TestConnection)
#include "tst_connection.moc"
