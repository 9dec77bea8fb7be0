#include "simkit/CameraUnit.h"
#include "tests/support/DataColumns.h"

#include <QtTest>

using quillon::simkit::CameraUnit;
using namespace std::chrono_literals;

struct PortWrite {
    int atMs;
    int port;
};
Q_DECLARE_METATYPE(QList<PortWrite>)

class TestCameraUnit : public QObject {
    Q_OBJECT

private slots:
    void switchOfEachPin_data();
    void switchOfEachPin();
    void pressSequence_data();
    void pressSequence();
};

void TestCameraUnit::switchOfEachPin_data() {
    quillon::testing::AddColumns<int, QString>({"mask", "name"});
    QTest::newRow("P0") << 0x01 << "SW8";
    QTest::newRow("P1") << 0x02 << "SW3";
    QTest::newRow("P2") << 0x04 << "SW2";
    QTest::newRow("P3") << 0x08 << "SW1";
    QTest::newRow("P4") << 0x10 << "SW5";
    QTest::newRow("P5") << 0x20 << "SW4";
    QTest::newRow("P6") << 0x40 << "SW7";
    QTest::newRow("P7") << 0x80 << "SW6";
}

void TestCameraUnit::switchOfEachPin() {
    QFETCH(int, mask);
    QFETCH(QString, name);
    CameraUnit unit;
    const auto t0 = CameraUnit::Clock::time_point{} + 1s;
    const auto pressed = unit.ReadPort(uint8_t(0xFF & ~mask), t0);
    QCOMPARE(pressed, std::vector<std::string>{(name + " pressed").toStdString()});
    const auto released = unit.ReadPort(0xFF, t0 + 250ms);
    QCOMPARE(released, std::vector<std::string>{(name + " released after 250 ms").toStdString()});
}

void TestCameraUnit::pressSequence_data() {
    quillon::testing::AddColumns<QList<PortWrite>, QStringList>({"writes", "lines"});

    QTest::newRow("SW7 held 250 ms") << QList<PortWrite>{{0, 0xBF}, {250, 0xFF}}
                                     << QStringList{"SW7 pressed", "SW7 released after 250 ms"};
    QTest::newRow("pair SW6 + 7") << QList<PortWrite>{{0, 0x3F}, {250, 0xFF}}
                                  << QStringList{"SW6 pressed", "SW7 pressed",
                                                 "SW6 released after 250 ms",
                                                 "SW7 released after 250 ms"};
    QTest::newRow("second press while held keeps the first press time")
        << QList<PortWrite>{{0, 0xF7}, {100, 0xD7}, {250, 0xFF}}
        << QStringList{"SW1 pressed", "SW4 pressed", "SW1 released after 250 ms",
                       "SW4 released after 150 ms"};
    QTest::newRow("rewriting the same pattern is no new press")
        << QList<PortWrite>{{0, 0xEF}, {100, 0xEF}, {300, 0xFF}}
        << QStringList{"SW5 pressed", "SW5 released after 300 ms"};
    QTest::newRow("switching from one switch to another: release first")
        << QList<PortWrite>{{0, 0xBF}, {40, 0x7F}, {90, 0xFF}}
        << QStringList{"SW7 pressed", "SW7 released after 40 ms", "SW6 pressed",
                       "SW6 released after 50 ms"};
    QTest::newRow("release pattern with nothing pressed")
        << QList<PortWrite>{{0, 0xFF}, {10, 0xFF}} << QStringList{};
    QTest::newRow("all eight at once") << QList<PortWrite>{{0, 0x00}, {5, 0xFF}}
                                       << QStringList{"SW1 pressed",
                                                      "SW2 pressed",
                                                      "SW3 pressed",
                                                      "SW4 pressed",
                                                      "SW5 pressed",
                                                      "SW6 pressed",
                                                      "SW7 pressed",
                                                      "SW8 pressed",
                                                      "SW1 released after 5 ms",
                                                      "SW2 released after 5 ms",
                                                      "SW3 released after 5 ms",
                                                      "SW4 released after 5 ms",
                                                      "SW5 released after 5 ms",
                                                      "SW6 released after 5 ms",
                                                      "SW7 released after 5 ms",
                                                      "SW8 released after 5 ms"};
}

void TestCameraUnit::pressSequence() {
    QFETCH(QList<PortWrite>, writes);
    QFETCH(QStringList, lines);

    CameraUnit unit;
    const auto t0 = CameraUnit::Clock::time_point{} + 10s;
    QStringList seen;
    for (const PortWrite& write : writes) {
        for (const auto& line :
             unit.ReadPort(uint8_t(write.port), t0 + std::chrono::milliseconds(write.atMs))) {
            seen << QString::fromStdString(line);
        }
    }
    QCOMPARE(seen, lines);
}

QTEST_APPLESS_MAIN(TestCameraUnit)
#include "tst_cameraunit.moc"
