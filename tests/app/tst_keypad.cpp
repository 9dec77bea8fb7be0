#include "PanelTest.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ModalCloser.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"

#include <QElapsedTimer>
#include <QGroupBox>

using panel::Click;
using panel::LitPortBits;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

class TestKeypad : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;

    std::vector<recorder::Call> Writes() { return recorder::CallsNamed("WriteI2CRegs"); }

    void ExpectDisplays(int pattern) {
        const QString hex = TForm1::Hex2(pattern);
        QCOMPARE(form->PlRPUPort->Caption(), "0x" + hex);
        QCOMPARE(form->PlPort->Caption(), "0x" + hex);
        QCOMPARE(form->EditWrite->text(), hex);
        QCOMPARE(LitPortBits(*form), pattern);
    }

private slots:
    void init() {
        recorder::Reset();
        form = std::make_unique<TForm1>();
        form->show();
        recorder::Calls().clear();
    }
    void cleanup() { form.reset(); }

    void everyButtonPressesItsSwitches_data();
    void everyButtonPressesItsSwitches();
    void releaseWritesFFWithInterrupt1();
    void tickHandlerWritesTheRelease();
    void secondPressDoesNotMoveTheRelease();
    void releaseDoesNotRestoreThePreviousImage();
    void closedPortIsReportedAtPressAndRelease();
    void refusedReleaseIsOwedUntilTheLinkIsFree_data();
    void refusedReleaseIsOwedUntilTheLinkIsFree();
    void closingMidPressReleasesTheSwitches_data();
    void closingMidPressReleasesTheSwitches();
};

namespace {
// Short, so that a release owed to the end does not hold the suite up.
constexpr int kTimeOut = 200;

// What happens after the tick's release was refused: a notification code, or one of these.
constexpr int kSendOnPortPage = -1;
constexpr int kWaitForTheBound = -2;

milliseconds Between(const recorder::Call& a, const recorder::Call& b) {
    return duration_cast<milliseconds>(b.at - a.at);
}
} // namespace

void TestKeypad::everyButtonPressesItsSwitches_data() {
    quillon::testing::AddColumns<QString, QString, QString, QString, QStringList>(
        {"button", "caption", "hint", "box", "switches"});
    // The camera unit's switches on the port pins, active low.
    QTest::newRow("SW7") << "BtnSW7"
                         << "SW7"
                         << "Previous description"
                         << "Vision pattern switching" << QStringList{"SW7"};
    QTest::newRow("SW6 + 7") << "BtnSW67"
                             << "SW6 + 7"
                             << "Reverse order"
                             << "Vision pattern switching" << QStringList{"SW6", "SW7"};
    QTest::newRow("SW1 + 4") << "BtnSW14"
                             << "SW1 + 4"
                             << "Moving to left"
                             << "ring center" << QStringList{"SW1", "SW4"};
    QTest::newRow("SW1 + 5") << "BtnSW15"
                             << "SW1 + 5"
                             << "Moving to right"
                             << "ring center" << QStringList{"SW1", "SW5"};
    QTest::newRow("SW8 + 5") << "BtnSW85"
                             << "SW8 + 5"
                             << "Moving up"
                             << "ring center" << QStringList{"SW8", "SW5"};
    QTest::newRow("SW8 + 4") << "BtnSW84"
                             << "SW8 + 4"
                             << "Moving down"
                             << "ring center" << QStringList{"SW8", "SW4"};
    QTest::newRow("SW2 + 4") << "BtnSW24"
                             << "SW2 + 4"
                             << "Reduces inner circle"
                             << "ring size" << QStringList{"SW2", "SW4"};
    QTest::newRow("SW2 + 5") << "BtnSW25"
                             << "SW2 + 5"
                             << "Enlarges inner circle"
                             << "ring size" << QStringList{"SW2", "SW5"};
    QTest::newRow("SW3 + 4") << "BtnSW34"
                             << "SW3 + 4"
                             << "Reduces outer circle"
                             << "ring size" << QStringList{"SW3", "SW4"};
    QTest::newRow("SW3 + 5") << "BtnSW35"
                             << "SW3 + 5"
                             << "Enlarges outer circle"
                             << "ring size" << QStringList{"SW3", "SW5"};
    QTest::newRow("SW5 exposure") << "BtnSW5"
                                  << "SW5"
                                  << "Brighter"
                                  << "Exposure adjustment" << QStringList{"SW5"};
    QTest::newRow("SW4 exposure") << "BtnSW4"
                                  << "SW4"
                                  << "Darker"
                                  << "Exposure adjustment" << QStringList{"SW4"};
    QTest::newRow("SW3 scroll") << "BtnSW3"
                                << "SW3"
                                << "Moving to right"
                                << "Screen scroll adjust." << QStringList{"SW3"};
    QTest::newRow("SW8 scroll") << "BtnSW8"
                                << "SW8"
                                << "Moving to left"
                                << "Screen scroll adjust." << QStringList{"SW8"};
    QTest::newRow("SW1 position") << "BtnSW1"
                                  << "SW1"
                                  << "Moving up"
                                  << "Disp. position adjust." << QStringList{"SW1"};
    QTest::newRow("SW2 position") << "BtnSW2"
                                  << "SW2"
                                  << "Moving down"
                                  << "Disp. position adjust." << QStringList{"SW2"};
    QTest::newRow("SW3 contents") << "BtnSW3Z"
                                  << "SW3"
                                  << "Moving to right"
                                  << "Disp. contents adjust." << QStringList{"SW3"};
    QTest::newRow("SW8 contents") << "BtnSW8Z"
                                  << "SW8"
                                  << "Moving to left"
                                  << "Disp. contents adjust." << QStringList{"SW8"};
    QTest::newRow("SW1 frame") << "BtnSW1f"
                               << "SW1"
                               << "Moving up"
                               << "Z. frame posit. adjust." << QStringList{"SW1"};
    QTest::newRow("SW2 frame") << "BtnSW2f"
                               << "SW2"
                               << "Moving down"
                               << "Z. frame posit. adjust." << QStringList{"SW2"};
    QTest::newRow("SW5 frame") << "BtnSW5f"
                               << "SW5"
                               << "Telephoto"
                               << "Z. frame posit. adjust." << QStringList{"SW5"};
    QTest::newRow("SW4 frame") << "BtnSW4f"
                               << "SW4"
                               << "Wide"
                               << "Z. frame posit. adjust." << QStringList{"SW4"};
    QTest::newRow("SW5 + 6") << "BtnSW56"
                             << "SW5 + 6"
                             << "Saving the screen display contents"
                             << "Save contents" << QStringList{"SW5", "SW6"};
    QTest::newRow("SW4 + 6") << "BtnSW46"
                             << "SW4 + 6"
                             << "Resetting the adjustment contents"
                             << "Reset contents" << QStringList{"SW4", "SW6"};
}

void TestKeypad::everyButtonPressesItsSwitches() {
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QString, box);
    QFETCH(QStringList, switches);
    static const QMap<QString, int> pin{{"SW8", 0}, {"SW3", 1}, {"SW2", 2}, {"SW1", 3},
                                        {"SW5", 4}, {"SW4", 5}, {"SW7", 6}, {"SW6", 7}};
    int pattern = 0xFF;
    for (const QString& sw : switches) {
        pattern &= ~(1 << pin[sw]);
    }

    auto* b = form->findChild<QPushButton*>(button);
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->toolTip(), hint);
    QCOMPARE(qobject_cast<QGroupBox*>(b->parentWidget())->title(), box);
    QCOMPARE(b->width(), switches.size() == 2 ? 57 : 35);

    Click(b);
    const auto writes = Writes();
    QCOMPARE(writes.size(), std::size_t(1));
    QCOMPARE(writes[0].data, std::vector<uint8_t>{uint8_t(pattern)});
    QCOMPARE(writes[0].args[1], int64_t{VANTREL_INT_LINE1});
    ExpectDisplays(pattern);
    QCOMPARE(form->StatusText(), QString("Write_CMD"));
    QVERIFY(form->Timer1->isActive());
}

void TestKeypad::releaseWritesFFWithInterrupt1() {
    Click(form->RBNoInt); // the radio buttons play no part on the keypad
    Click(form->BtnSW7);
    ExpectDisplays(0xBF);
    QVERIFY(!form->LEDP6->Checked());
    QTRY_COMPARE_WITH_TIMEOUT(Writes().size(), std::size_t(2), 2000);
    const auto writes = Writes();
    QCOMPARE(writes[0].args[1], int64_t{VANTREL_INT_LINE1});
    QCOMPARE(writes[1].data, std::vector<uint8_t>{0xFF});
    QCOMPARE(writes[1].args[1], int64_t{VANTREL_INT_LINE1});
    ExpectDisplays(0xFF);
    QVERIFY(!form->Timer1->isActive()); // the release does not arm again
}

// Timer1's bound handler is what ends the hold: called early, it releases at once and the
// timer does not tick again.
void TestKeypad::tickHandlerWritesTheRelease() {
    Click(form->BtnSW7);
    QVERIFY(form->Timer1->isActive());
    form->Timer1Timer(form->Timer1);
    QCOMPARE(Writes().size(), std::size_t(2));
    QCOMPARE(Writes()[1].data, std::vector<uint8_t>{0xFF});
    ExpectDisplays(0xFF);
    QVERIFY(!form->Timer1->isActive());
    QTest::qWait(300);
    QCOMPARE(Writes().size(), std::size_t(2));
}

void TestKeypad::secondPressDoesNotMoveTheRelease() {
    Click(form->BtnSW5);
    QTest::qWait(100);
    Click(form->BtnSW4);
    QCOMPARE(Writes().size(), std::size_t(2));
    QTRY_COMPARE_WITH_TIMEOUT(Writes().size(), std::size_t(3), 2000);
    const auto writes = Writes();
    QCOMPARE(writes[2].data, std::vector<uint8_t>{0xFF});
    const auto sinceFirst = duration_cast<milliseconds>(writes[2].at - writes[0].at).count();
    const auto sinceSecond = duration_cast<milliseconds>(writes[2].at - writes[1].at).count();
    QVERIFY2(sinceFirst >= 249, qPrintable(QString::number(sinceFirst)));
    // A restarted timer would put the release 250 ms after the second press.
    QVERIFY2(sinceSecond < 240, qPrintable(QString::number(sinceSecond)));
    QVERIFY(!form->Timer1->isActive());
}

void TestKeypad::releaseDoesNotRestoreThePreviousImage() {
    form->LEDP0->setStatusInt(0x0F);
    Click(form->BtnSW1);
    QCOMPARE(Writes().at(0).data, std::vector<uint8_t>{0xF7});
    QTRY_COMPARE_WITH_TIMEOUT(Writes().size(), std::size_t(2), 2000);
    QCOMPARE(Writes().at(1).data, std::vector<uint8_t>{0xFF});
}

void TestKeypad::closedPortIsReportedAtPressAndRelease() {
    recorder::State().status = VANTREL_STATUS_PORT_CLOSED;
    Click(form->BtnSW5);
    QCOMPARE(form->StatusText(), QString("ERROR: COMPORT CLOSED"));
    ExpectDisplays(0xEF);
    QVERIFY(form->Timer1->isActive()); // a refused write still arms the release
    form->StatusPanel->setText("between");
    QTRY_COMPARE_WITH_TIMEOUT(Writes().size(), std::size_t(2), 2000);
    QCOMPARE(form->StatusText(), QString("ERROR: COMPORT CLOSED"));
    ExpectDisplays(0xFF);
}

void TestKeypad::refusedReleaseIsOwedUntilTheLinkIsFree_data() {
    // retries: the statuses the tries after the tick get
    // writes: with the press and the tick's refused release
    quillon::testing::AddColumns<QList<int>, QList<int>, int, QString>(
        {"retries", "events", "writes", "finalStatus"});
    const int sent = VANTREL_STATUS_SENT;
    const int busy = VANTREL_STATUS_BUSY;
    QTest::newRow("the busy command's reply frees the link")
        << QList<int>{sent} << QList<int>{VANTREL_NOTIFY_WRITTEN_INT1} << 3
        << "Data write with Interrupt 1";
    QTest::newRow("the busy command's time-out frees the link")
        << QList<int>{sent} << QList<int>{VANTREL_NOTIFY_TIMEOUT} << 3 << "ERROR: TimeOut";
    QTest::newRow("other news while still busy keeps it owed")
        << QList<int>{busy, sent}
        << QList<int>{VANTREL_NOTIFY_MASTER_DATA, VANTREL_NOTIFY_ADDRESS_READ} << 4
        << "Slave Adress received";
    QTest::newRow("a closed port ends it, not tried again")
        << QList<int>{VANTREL_STATUS_PORT_CLOSED}
        << QList<int>{VANTREL_NOTIFY_CLOSED, VANTREL_NOTIFY_WRITTEN_INT1} << 3
        << "Data write with Interrupt 1";
    QTest::newRow("busy to the end: one last try, then reported")
        << QList<int>{busy} << QList<int>{kWaitForTheBound} << 3 << "I2C BUSY";
    QTest::newRow("a later write takes the port over")
        << QList<int>{} << QList<int>{kSendOnPortPage, VANTREL_NOTIFY_WRITTEN_INT1} << 3
        << "Data write with Interrupt 1";
}

// The tick's release meets a link still busy with an earlier command: the release is owed
// and goes out as soon as the link is free, tried again on every notification, and
// reported as busy only if the adapter's time-out runs out first.
void TestKeypad::refusedReleaseIsOwedUntilTheLinkIsFree() {
    QFETCH(QList<int>, retries);
    QFETCH(QList<int>, events);
    QFETCH(int, writes);
    QFETCH(QString, finalStatus);
    form->Vantrel->setTimeOut(kTimeOut);
    Click(form->BtnSW7);
    recorder::State().nextStatuses.push_back(VANTREL_STATUS_BUSY);
    for (int status : retries) {
        recorder::State().nextStatuses.push_back(static_cast<uint8_t>(status));
    }
    form->StatusPanel->setText("between");
    QTRY_COMPARE_WITH_TIMEOUT(Writes().size(), std::size_t(2), 2000);
    const recorder::Call tick = Writes().back();
    QCOMPARE(form->StatusText(), QString("between")); // not reported while owed
    ExpectDisplays(0xFF);
    QVERIFY(form->Keypad->ReleaseOwed());

    ModalCloser closer;
    std::size_t writesAtBox = 0;
    closer.onBox = [&] { writesAtBox = Writes().size(); };
    for (int event : events) {
        if (event == kSendOnPortPage) {
            Click(form->BtnWData);
        } else if (event == kWaitForTheBound) {
            QTRY_VERIFY_WITH_TIMEOUT(!form->Keypad->ReleaseOwed(), 5 * kTimeOut);
            QVERIFY(Between(tick, Writes().back()) >= milliseconds(kTimeOut));
        } else {
            recorder::Notify(static_cast<uintptr_t>(event));
        }
    }
    if (closer.count() > 0) {
        QCOMPARE(writesAtBox, std::size_t(writes)); // the box did not hold the release up
    }
    const auto all = Writes();
    QCOMPARE(int(all.size()), writes);
    for (std::size_t i = 1; i < all.size(); ++i) {
        QCOMPARE(all[i].data, std::vector<uint8_t>{0xFF});
        // Also the port page's "Send", with the entry showing FF and "Int1" selected.
        QCOMPARE(all[i].args[1], int64_t{VANTREL_INT_LINE1});
    }
    QVERIFY(!form->Keypad->ReleaseOwed());
    QCOMPARE(form->StatusText(), finalStatus);
}

void TestKeypad::closingMidPressReleasesTheSwitches_data() {
    // closeAfter: ms after the press
    // statuses: of the writes after the press
    // releases: -1: as many as the bound allows
    quillon::testing::AddColumns<bool, int, QList<int>, int>(
        {"byCloseEvent", "closeAfter", "statuses", "releases"});
    const int sent = VANTREL_STATUS_SENT;
    const int busy = VANTREL_STATUS_BUSY;
    for (bool byCloseEvent : {false, true}) {
        const char* how = byCloseEvent ? "closeEvent" : "destructor";
        QTest::addRow("%s: link free", how) << byCloseEvent << 10 << QList<int>{sent} << 1;
        QTest::addRow("%s: link busy a while", how)
            << byCloseEvent << 10 << QList<int>{busy, busy, busy, sent} << 4;
        QTest::addRow("%s: busy to the end", how) << byCloseEvent << 10 << QList<int>{busy} << -1;
        QTest::addRow("%s: release owed at the tick", how)
            << byCloseEvent << 300 << QList<int>{busy, sent} << 2;
    }
}

// Closing the window within the 250 ms keeps the switches pressed their full time, then
// releases them, waiting a bounded time for a busy link, before the link ends.
void TestKeypad::closingMidPressReleasesTheSwitches() {
    QFETCH(bool, byCloseEvent);
    QFETCH(int, closeAfter);
    QFETCH(QList<int>, statuses);
    QFETCH(int, releases);
    form->Vantrel->setTimeOut(kTimeOut);
    Click(form->BtnSW7);
    const recorder::Call press = Writes().back();
    for (int s : statuses) {
        recorder::State().nextStatuses.push_back(static_cast<uint8_t>(s));
    }
    if (releases < 0) {
        recorder::State().status = VANTREL_STATUS_BUSY;
    }
    QTest::qWait(closeAfter);
    QElapsedTimer closing;
    closing.start();
    if (byCloseEvent) {
        QVERIFY(form->close());
        QCOMPARE(form->StatusText(), QString(releases < 0 ? "I2C BUSY" : "Write_CMD"));
    }
    const int countAtClose = int(Writes().size());
    form.reset();
    const auto writes = Writes();
    if (byCloseEvent) {
        QCOMPARE(int(writes.size()), countAtClose); // nothing left for the destructor
    }
    // No hang: the rest of the press and one adapter time-out, with room for a busy machine.
    QVERIFY2(closing.elapsed() < 250 + kTimeOut + 1000,
             qPrintable(QString::number(closing.elapsed())));
    QVERIFY(writes.size() >= 2);
    if (releases >= 0) {
        QCOMPARE(int(writes.size()) - 1, releases);
    } else {
        QVERIFY(Between(writes[1], writes.back()) >= milliseconds(kTimeOut));
    }
    QVERIFY2(Between(press, writes[1]) >= milliseconds(250),
             qPrintable(QString::number(Between(press, writes[1]).count())));
    for (std::size_t i = 1; i < writes.size(); ++i) {
        QCOMPARE(writes[i].data, std::vector<uint8_t>{0xFF});
        QCOMPARE(writes[i].args[1], int64_t{VANTREL_INT_LINE1});
    }
    QCOMPARE(recorder::Calls().back().name, std::string("VantrelDestroy"));
}

QUILLON_TEST_MAIN(TestKeypad)
#include "tst_keypad.moc"
