// The adapter component and the real adapter library in a program without windows: a plain
// QCoreApplication, no platform plugin and no display named, against the simulator.
#include "adapter/KeypadSwitches.h"
#include "adapter/Vantrel.h"
#include "tests/support/NoDisplay.h"
#include "tests/support/SimProcess.h"

#include <QFile>
#include <QtTest>

#include <memory>

class TestVantrelHeadless : public QObject {
    Q_OBJECT

    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<TVantrel> vantrel;
    QStringList events;

    // Writes one port pattern as a keypad press does and waits for the adapter's answer.
    bool WritePort(uint8_t pattern) {
        events.clear();
        if (vantrel->WriteI2CRegs(std::span(&pattern, 1), VANTREL_INT_LINE1) !=
            VANTREL_STATUS_SENT) {
            return false;
        }
        return QTest::qWaitFor([this] { return events.contains("write:1"); }, 5000);
    }

private slots:
    void initTestCase();
    void cleanup();
    void commandsAndEventsRoundTrip();
    void noGuiLibraryIsLoaded();
};

void TestVantrelHeadless::initTestCase() {
    // The premise: nothing in the environment gives the toolkit a display to use.
    QCOMPARE(quillon::testing::DisplayVariablesSet(), QStringList());
    QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
}

void TestVantrelHeadless::cleanup() {
    vantrel.reset();
    sim.reset();
    qunsetenv("VANTREL_COM1");
}

void TestVantrelHeadless::commandsAndEventsRoundTrip() {
    sim = std::make_unique<SimProcess>();
    const auto error = sim->Start({"--camera"});
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    qputenv("VANTREL_COM1", sim->Device().toLocal8Bit());

    vantrel = std::make_unique<TVantrel>(nullptr);
    vantrel->OnOpen = [this](QObject*, uint8_t port) { events << QString("open:%1").arg(port); };
    vantrel->OnGetVersion = [this](QObject*, const char*) { events << "version"; };
    vantrel->OnWriteI2CRegs = [this](QObject*, uint8_t t) { events << QString("write:%1").arg(t); };
    vantrel->OnSlvAdrRead = [this](QObject*, uint8_t a) {
        events << QString("address:%1").arg(a, 2, 16, QLatin1Char('0'));
    };
    vantrel->OnI2CDataAvail = [this](QObject*, TI2CData d) {
        events << QString("data:%1").arg(d[0], 2, 16, QLatin1Char('0'));
    };
    vantrel->OnClose = [this](QObject*) { events << "close"; };
    vantrel->setComport(1);
    vantrel->setTimeOut(1500);

    vantrel->Connect(true);
    QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"open:1", "version"}), 5000);

    // A switch pressed by name and released, as a tool without windows would do it.
    const uint8_t sw7 = quillon::adapter::SwitchByName("SW7");
    QVERIFY(WritePort(quillon::adapter::Pattern(sw7)));
    QTRY_VERIFY(sim->HasEvent("SW7 pressed"));
    QVERIFY(WritePort(quillon::adapter::kReleased));
    QTRY_VERIFY(
        sim->EventTexts().filter(QRegularExpression("^SW7 released after \\d+ ms$")).size() == 1);

    events.clear();
    QCOMPARE(vantrel->ReadSlvAdr(), uint8_t{VANTREL_STATUS_SENT});
    QTRY_COMPARE_WITH_TIMEOUT(events, QStringList{"address:40"}, 5000);

    events.clear();
    sim->Command("write 5A");
    QTRY_COMPARE_WITH_TIMEOUT(events, QStringList{"data:5a"}, 5000);

    events.clear();
    vantrel->Connect(false);
    QTRY_COMPARE_WITH_TIMEOUT(events, QStringList{"close"}, 5000);
}

// What the process actually mapped, after the library's thread and serial port did their
// work: a dependency loaded at run time would show here though not in the link.
void TestVantrelHeadless::noGuiLibraryIsLoaded() {
    QFile maps("/proc/self/maps");
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(mapped.contains("libVantrel32.so"));
    QVERIFY(mapped.contains("libQt6SerialPort"));
    for (const char* gui : {"libQt6Gui", "libQt6Widgets", "libxcb", "libX11", "libwayland"}) {
        QVERIFY2(!mapped.contains(gui), gui);
    }
}

QTEST_GUILESS_MAIN(TestVantrelHeadless)
#include "tst_vantrel_headless.moc"
