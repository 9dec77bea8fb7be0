#include "PanelTest.h"
#include "platform/core/EConvertError.h"
#include "tests/support/DataColumns.h"
#include "tests/support/ModalCloser.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"

using panel::Click;
using panel::LitPortBits;

class TestPortPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;

    std::vector<recorder::Call> Writes() { return recorder::CallsNamed("WriteI2CRegs"); }

    void FocusEntryThenLeave() {
        form->EditWrite->setFocus();
        QTRY_VERIFY(form->EditWrite->hasFocus());
        form->InComNr->setFocus();
        QTRY_VERIFY(!form->EditWrite->hasFocus());
    }

private slots:
    void init() {
        form = panel::FreshForm(&TForm1::TabSheet1);
        // The entry's focus tests need the window to hold the keyboard focus.
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        recorder::Calls().clear();
    }
    void cleanup() { form.reset(); }

    void startState();
    void pinClickWithoutAutoSendOnlyChangesTheImage();
    void pinClickWithAutoSendWrites_data();
    void pinClickWithAutoSendWrites();
    void autoSendSwitchWritesNothing();
    void keyFilter_data();
    void keyFilter();
    void leavingTheEntryNormalises_data();
    void leavingTheEntryNormalises();
    void focusLeavingTheEntry_data();
    void focusLeavingTheEntry();
    void sendWritesTheEntry_data();
    void sendWritesTheEntry();
    void sendWithPastedGarbageChangesNothing();
    void masterWriteTakesOverTheImage();
    void confirmationTexts_data();
    void confirmationTexts();
    void fixedPinsStayUnlit();
};

void TestPortPage::startState() {
    QCOMPARE(LitPortBits(*form), 0xFF);
    QCOMPARE(form->LEDP0->StatusInt(), 255);
    QCOMPARE(form->PlPort->Caption(), QString("0xFF"));
    QCOMPARE(form->EditWrite->text(), QString("00"));
    QCOMPARE(form->EditWrite->maxLength(), 2);
    QVERIFY(form->RBInt1->isChecked());
    QVERIFY(!form->RBNoInt->isChecked() && !form->RBInt2->isChecked());
    QVERIFY(!form->LEDAutoSend->Checked());
    QCOMPARE(form->LEDP3->Caption(), QString("7"));
    QCOMPARE(form->LEDP4->Caption(), QString("9"));
}

void TestPortPage::pinClickWithoutAutoSendOnlyChangesTheImage() {
    form->StatusPanel->setText("before");
    Click(form->LEDP3);
    QCOMPARE(form->LEDP0->StatusInt(), 0xF7);
    QVERIFY(!form->LEDP3->Checked());
    QCOMPARE(LitPortBits(*form), 0xF7);
    QCOMPARE(form->PlPort->Caption(), QString("0xF7"));
    QCOMPARE(form->EditWrite->text(), QString("F7"));
    QVERIFY(Writes().empty());
    QCOMPARE(form->StatusText(), QString("before"));
    Click(form->LEDP3);
    QCOMPARE(form->LEDP0->StatusInt(), 0xFF);
    QCOMPARE(form->PlPort->Caption(), QString("0xFF"));
}

void TestPortPage::pinClickWithAutoSendWrites_data() {
    quillon::testing::AddColumns<QString, int, int, QString>(
        {"radio", "status", "intType", "text"});
    QTest::newRow("Int2, sent") << "RBInt2" << int{VANTREL_STATUS_SENT} << int{VANTREL_INT_LINE2}
                                << "Write_CMD";
    QTest::newRow("No, sent") << "RBNoInt" << int{VANTREL_STATUS_SENT} << int{VANTREL_INT_NONE}
                              << "Write_CMD";
    QTest::newRow("Int1, closed") << "RBInt1" << int{VANTREL_STATUS_PORT_CLOSED}
                                  << int{VANTREL_INT_LINE1} << "ERROR: COMPORT CLOSED";
    QTest::newRow("Int2, busy") << "RBInt2" << int{VANTREL_STATUS_BUSY} << int{VANTREL_INT_LINE2}
                                << "I2C BUSY";
    // A status the window has no text for leaves the line as it was.
    QTest::newRow("Int1, other status")
        << "RBInt1" << int{VANTREL_STATUS_INVALID} << int{VANTREL_INT_LINE1} << "before";
}

void TestPortPage::pinClickWithAutoSendWrites() {
    QFETCH(QString, radio);
    QFETCH(int, status);
    QFETCH(int, intType);
    QFETCH(QString, text);
    Click(form->LEDAutoSend);
    QVERIFY(form->LEDAutoSend->Checked());
    Click(form->findChild<QRadioButton*>(radio));
    form->StatusPanel->setText("before");
    recorder::State().status = static_cast<uint8_t>(status);
    Click(form->LEDP3);
    const auto writes = Writes();
    QCOMPARE(writes.size(), std::size_t(1));
    QCOMPARE(writes[0].data, std::vector<uint8_t>{0xF7});
    QCOMPARE(writes[0].args, (std::vector<int64_t>{0, intType}));
    QCOMPARE(form->StatusText(), text);
    // The image changed whatever the adapter said.
    QCOMPARE(form->PlPort->Caption(), QString("0xF7"));
}

void TestPortPage::autoSendSwitchWritesNothing() {
    Click(form->LEDAutoSend);
    QVERIFY(form->LEDAutoSend->Checked());
    Click(form->LEDAutoSend);
    QVERIFY(!form->LEDAutoSend->Checked());
    QVERIFY(Writes().empty());
}

void TestPortPage::keyFilter_data() {
    quillon::testing::AddColumns<QString, QString>({"typed", "shown"});
    QTest::newRow("a becomes A") << QStringLiteral("a") << "A";
    QTest::newRow("f becomes F") << QStringLiteral("f") << "F";
    QTest::newRow("digits") << QStringLiteral("7") << "7";
    QTest::newRow("g ignored") << QStringLiteral("g") << "";
    QTest::newRow("minus ignored") << QStringLiteral("-") << "";
    QTest::newRow("space ignored") << QStringLiteral(" ") << "";
    QTest::newRow("x ignored") << QStringLiteral("x") << "";
    QTest::newRow("G ignored") << QStringLiteral("G") << "";
    QTest::newRow("mixed") << QStringLiteral("3-e") << "3E";
    QTest::newRow("two at most") << QStringLiteral("abc") << "AB";
}

void TestPortPage::keyFilter() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    form->EditWrite->clear();
    form->EditWrite->setFocus();
    QTest::keyClicks(form->EditWrite, typed);
    QCOMPARE(form->EditWrite->text(), shown);
}

void TestPortPage::leavingTheEntryNormalises_data() {
    quillon::testing::AddColumns<QString, QString>({"text", "after"});
    QTest::newRow("one digit") << QStringLiteral("7") << "07";
    QTest::newRow("one letter") << QStringLiteral("A") << "0A";
    QTest::newRow("empty") << QStringLiteral("") << "00";
    QTest::newRow("two stay") << QStringLiteral("C5") << "C5";
}

void TestPortPage::leavingTheEntryNormalises() {
    QFETCH(QString, text);
    QFETCH(QString, after);
    form->EditWrite->setText(text);
    FocusEntryThenLeave();
    QCOMPARE(form->EditWrite->text(), after);
    QCOMPARE(form->LEDP0->StatusInt(), 0xFF); // leaving neither changes nor writes
    QVERIFY(Writes().empty());
}

enum class FocusGoes { ByTab, ByShiftTab, ByBacktab, ByClick, ToOtherWindow, ToContextMenu };
Q_DECLARE_METATYPE(FocusGoes)

void TestPortPage::focusLeavingTheEntry_data() {
    quillon::testing::AddColumns<FocusGoes, bool>({"how", "leftTheEntry"});
    QTest::newRow("Tab moves on") << FocusGoes::ByTab << true;
    QTest::newRow("Shift+Tab moves back") << FocusGoes::ByShiftTab << true;
    QTest::newRow("Backtab moves back") << FocusGoes::ByBacktab << true;
    QTest::newRow("click on another control") << FocusGoes::ByClick << true;
    QTest::newRow("another window becomes active") << FocusGoes::ToOtherWindow << false;
    QTest::newRow("the entry's context menu") << FocusGoes::ToContextMenu << false;
}

// The entry is left, and normalised, only when the focus goes to another control of the
// window; when the focus goes elsewhere it comes back to the entry as it was.
void TestPortPage::focusLeavingTheEntry() {
    QFETCH(FocusGoes, how);
    QFETCH(bool, leftTheEntry);
    form->EditWrite->setText("7");
    form->EditWrite->setFocus();
    QTRY_VERIFY(form->EditWrite->hasFocus());
    QWidget other;
    switch (how) {
    case FocusGoes::ByTab:
        QTest::keyClick(form->EditWrite, Qt::Key_Tab);
        break;
    case FocusGoes::ByShiftTab:
        QTest::keyClick(form->EditWrite, Qt::Key_Tab, Qt::ShiftModifier);
        break;
    case FocusGoes::ByBacktab:
        QTest::keyClick(form->EditWrite, Qt::Key_Backtab, Qt::ShiftModifier);
        break;
    case FocusGoes::ByClick:
        Click(form->BtnCOM);
        break;
    case FocusGoes::ToOtherWindow:
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(form->EditWrite->text(), QString("7"));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        break;
    case FocusGoes::ToContextMenu: {
        const QPoint at(2, 2);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at,
                                  form->EditWrite->mapToGlobal(at));
        QApplication::sendEvent(form->EditWrite, &menuKey);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(form->EditWrite->text(), QString("7"));
        QApplication::activePopupWidget()->close();
        QTRY_VERIFY(!QApplication::activePopupWidget());
        break;
    }
    }
    QTRY_COMPARE(form->EditWrite->hasFocus(), !leftTheEntry);
    QCOMPARE(form->EditWrite->text(), QString(leftTheEntry ? "07" : "7"));
    QVERIFY(Writes().empty());
}

void TestPortPage::sendWritesTheEntry_data() {
    quillon::testing::AddColumns<QString, QString, int, int>(
        {"typed", "radio", "value", "intType"});
    QTest::newRow("00 without interrupt") << "00"
                                          << "RBNoInt" << 0x00 << int{VANTREL_INT_NONE};
    QTest::newRow("3f with Int1") << "3f"
                                  << "RBInt1" << 0x3F << int{VANTREL_INT_LINE1};
    QTest::newRow("one digit normalised first") << "5"
                                                << "RBInt2" << 0x05 << int{VANTREL_INT_LINE2};
}

void TestPortPage::sendWritesTheEntry() {
    QFETCH(QString, typed);
    QFETCH(QString, radio);
    QFETCH(int, value);
    QFETCH(int, intType);
    Click(form->findChild<QRadioButton*>(radio));
    form->EditWrite->clear();
    form->EditWrite->setFocus();
    QTest::keyClicks(form->EditWrite, typed);
    const QString entryBefore = form->EditWrite->text();
    Click(form->BtnWData); // takes the focus first, so the entry is normalised
    const auto writes = Writes();
    QCOMPARE(writes.size(), std::size_t(1));
    QCOMPARE(writes[0].data, std::vector<uint8_t>{uint8_t(value)});
    QCOMPARE(writes[0].args[1], int64_t(intType));
    QCOMPARE(form->LEDP0->StatusInt(), value);
    QCOMPARE(LitPortBits(*form), value);
    QCOMPARE(form->PlPort->Caption(), "0x" + TForm1::Hex2(value));
    QCOMPARE(form->StatusText(), QString("Write_CMD"));
    QCOMPARE(form->EditWrite->text(), entryBefore.size() == 1 ? "0" + entryBefore : entryBefore);
}

void TestPortPage::sendWithPastedGarbageChangesNothing() {
    form->StatusPanel->setText("before");
    form->EditWrite->setText("G1"); // what a paste can put there
    QVERIFY_THROWS_EXCEPTION(EConvertError, form->BtnWDataClick(form->BtnWData));
    try {
        form->BtnWDataClick(form->BtnWData);
    } catch (const EConvertError& e) {
        QCOMPARE(QString(e.what()), QString("'$G1' is not a valid integer value"));
    }
    // Through the real button, the application's error report shows it.
    ModalCloser closer;
    Click(form->BtnWData);
    QCOMPARE(closer.texts, QStringList{"'$G1' is not a valid integer value."});
    QCOMPARE(closer.titles, QStringList{"Quillon"});
    QVERIFY(Writes().empty());
    QCOMPARE(form->LEDP0->StatusInt(), 0xFF);
    QCOMPARE(form->PlPort->Caption(), QString("0xFF"));
    QCOMPARE(form->StatusText(), QString("before"));
}

void TestPortPage::masterWriteTakesOverTheImage() {
    Click(form->LEDAutoSend); // even with AutoSend lit nothing goes back
    form->PlRPUPort->setCaption("0x12");
    recorder::State().i2cData[0] = 0x5A;
    recorder::Notify(VANTREL_NOTIFY_MASTER_DATA);
    QCOMPARE(LitPortBits(*form), 0x5A);
    QVERIFY(form->LEDP1->Checked() && form->LEDP3->Checked() && form->LEDP4->Checked() &&
            form->LEDP6->Checked());
    QCOMPARE(form->PlPort->Caption(), QString("0x5A"));
    QCOMPARE(form->EditWrite->text(), QString("5A"));
    QCOMPARE(form->StatusText(), QString("Data received"));
    QVERIFY(Writes().empty());
    QCOMPARE(form->PlRPUPort->Caption(), QString("0x12"));
}

void TestPortPage::confirmationTexts_data() {
    quillon::testing::AddColumns<int, QString>({"code", "text"});
    QTest::newRow("w") << int{VANTREL_NOTIFY_WRITTEN} << "Data write without Interrupt";
    QTest::newRow("x") << int{VANTREL_NOTIFY_WRITTEN_INT1} << "Data write with Interrupt 1";
    QTest::newRow("y") << int{VANTREL_NOTIFY_WRITTEN_INT2} << "Data write with Interrupt 2";
}

void TestPortPage::confirmationTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    recorder::Notify(static_cast<uintptr_t>(code));
    QCOMPARE(form->StatusText(), text);
    // An interrupt type the window does not know leaves the text.
    form->VantrelWriteI2CRegs(form->Vantrel, 3);
    QCOMPARE(form->StatusText(), text);
}

void TestPortPage::fixedPinsStayUnlit() {
    for (TIndLED* led :
         {form->IndLED8, form->IndLED9, form->IndLED10, form->IndLED11, form->IndLED12}) {
        QCOMPARE(led->GroupIndex(), 0);
        QVERIFY(!led->Checked());
        Click(led);
        QVERIFY(!led->Checked());
    }
    QVERIFY(Writes().empty());
}

QUILLON_TEST_MAIN(TestPortPage)
#include "tst_portpage.moc"
