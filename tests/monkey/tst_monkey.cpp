// Thousands of random operator actions on the real window, linked with the real adapter
// library, against the simulator: clicks on every visible control, keys and pasted text
// in the entries, page switches, port changes, master writes from the bus side. The run is
// seeded (QUILLON_MONKEY_SEED) and its length set by QUILLON_MONKEY_ACTIONS (default 3000).
#include "tests/app/PanelTest.h"
#include "tests/support/ModalCloser.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestMain.h"

#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <memory>

using panel::Click;
using panel::LitPortBits;

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomOperator();

private:
    void Act();
    void CheckWindow();
    QString RandomText(int length, bool hexOnly);
    std::optional<int> SimulatorPort();
    QWidget* VisibleOne(const QList<QWidget*>& widgets);

    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<ModalCloser> closer_;
    QRandomGenerator random_;
    QList<QWidget*> buttons_;
    QList<QWidget*> leds_;
    QList<QWidget*> radios_;
    int masterWrites_ = 0;
};

void TestMonkey::initTestCase() {
    bool ok = false;
    const quint32 seed = qEnvironmentVariableIntValue("QUILLON_MONKEY_SEED", &ok);
    random_.seed(ok ? seed : 1208);
    qInfo("seed %u (QUILLON_MONKEY_SEED)", ok ? seed : 1208u);

    sim_ = SimProcess::StartAsCom1({});
    QVERIFY(sim_);
    closer_ = std::make_unique<ModalCloser>();
    form_ = std::make_unique<TForm1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));

    // The operator's way in: port 1 on the spinner's entry, then the port button.
    form_->InComNr->setText(QStringLiteral("1"));
    Click(form_->BtnCOM);
    QTRY_COMPARE(form_->StatusText(), QStringLiteral("COMPort open"));
    QCOMPARE(form_->BtnCOM->text(), QStringLiteral("COM1"));

    for (QPushButton* button : form_->findChildren<QPushButton*>()) {
        buttons_ << button;
    }
    for (TIndLED* led : form_->findChildren<TIndLED*>()) {
        leds_ << led;
    }
    for (QRadioButton* radio : form_->findChildren<QRadioButton*>()) {
        radios_ << radio;
    }
    QVERIFY(buttons_.size() >= 28 && leds_.size() >= 12 && radios_.size() == 5);
}

void TestMonkey::cleanupTestCase() {
    form_.reset();
    closer_.reset();
    sim_.reset();
}

QString TestMonkey::RandomText(int length, bool hexOnly) {
    static const QString hex = QStringLiteral("0123456789abcdefABCDEF");
    static const QString any = QStringLiteral("0123456789abcdefABCDEFxyz$-+ .,#&GHq\t%");
    const QString& from = hexOnly ? hex : any;
    QString text;
    for (int i = 0; i < length; ++i) {
        text += from.at(random_.bounded(int(from.size())));
    }
    return text;
}

QWidget* TestMonkey::VisibleOne(const QList<QWidget*>& widgets) {
    QList<QWidget*> visible;
    for (QWidget* w : widgets) {
        if (w->isVisible() && w->isEnabled()) {
            visible << w;
        }
    }
    return visible.isEmpty() ? nullptr : visible.at(random_.bounded(int(visible.size())));
}

void TestMonkey::Act() {
    const int action = random_.bounded(100);
    if (action < 35) {
        // Buttons of the visible page; the port button and spinner are rarer below, so the
        // port spends most of the run open.
        QWidget* w = VisibleOne(buttons_);
        if (w && w != form_->BtnCOM) {
            Click(w);
        }
    } else if (action < 55) {
        if (QWidget* w = VisibleOne(leds_)) {
            Click(w);
        }
    } else if (action < 60) {
        if (QWidget* w = VisibleOne(radios_)) {
            Click(w);
        }
    } else if (action < 70) {
        QLineEdit* edit = random_.bounded(2) ? form_->EditWrite : form_->InComNr;
        if (edit->isVisible()) {
            edit->setFocus();
            QTest::keyClicks(edit, RandomText(1 + random_.bounded(3), random_.bounded(4) != 0));
            if (random_.bounded(3) == 0) {
                QTest::keyClick(edit, Qt::Key_Backspace);
            }
        }
    } else if (action < 74) {
        // What the entry's context menu "Paste" does: the text goes in unfiltered.
        if (form_->EditWrite->isVisible()) {
            QGuiApplication::clipboard()->setText(RandomText(1 + random_.bounded(4), false));
            form_->EditWrite->selectAll();
            form_->EditWrite->paste();
            Click(form_->BtnWData);
        }
    } else if (action < 84) {
        form_->PageControl1->setCurrentIndex(random_.bounded(form_->PageControl1->count()));
    } else if (action < 92) {
        QStringList bytes;
        const int count = 1 + random_.bounded(3);
        for (int i = 0; i < count; ++i) {
            bytes << QStringLiteral("%1").arg(random_.bounded(256), 2, 16, QLatin1Char('0'));
        }
        sim_->Command(QStringLiteral("write ") + bytes.join(QLatin1Char(' ')));
        ++masterWrites_;
    } else if (action < 94) {
        // Another port number: opening it fails and the TIMEOUT box comes up.
        form_->UpDown1->Click(random_.bounded(2) ? TUpDown::btNext : TUpDown::btPrev);
    } else if (action < 96) {
        Click(form_->BtnCOM);
    }
    // Mostly back-to-back, as a fast operator; now and then a pause that lets the
    // adapter answer and the keypad release fire.
    QTest::qWait(random_.bounded(25) == 0 ? random_.bounded(1, 300) : random_.bounded(2));
}

// What must hold after every action, whatever happened.
void TestMonkey::CheckWindow() {
    QVERIFY(form_->isVisible());
    const int image = form_->LEDP0->StatusInt();
    QCOMPARE(form_->PlPort->Caption(), QStringLiteral("0x") + TForm1::Hex2(image));
    QCOMPARE(LitPortBits(*form_), image & 0xFF);
    static const QStringList known = {
        "",
        "CMD sent",
        "COMPort closed",
        "COMPort open",
        "Data received",
        "Data write with Interrupt 1",
        "Data write with Interrupt 2",
        "Data write without Interrupt",
        "Device Busy",
        "ERROR: COMPORT CLOSED",
        "ERROR: ComPort is closed",
        "ERROR: TimeOut",
        "I2C BUSY",
        "Slave Adress changed",
        "Slave Adress received",
        "Slave Adress saved",
        "Write_CMD",
    };
    QVERIFY2(known.contains(form_->StatusText()), qPrintable(form_->StatusText()));
}

std::optional<int> TestMonkey::SimulatorPort() {
    const int before = int(sim_->EventTexts().size());
    sim_->Command(QStringLiteral("read"));
    static const QRegularExpression line(QStringLiteral("^master read ([0-9A-F]{2})$"));
    std::optional<int> port;
    (void)QTest::qWaitFor(
        [&] {
            const QStringList& events = sim_->EventTexts();
            for (qsizetype i = before; i < events.size(); ++i) {
                const QRegularExpressionMatch match = line.match(events.at(i));
                if (match.hasMatch()) {
                    port = match.captured(1).toInt(nullptr, 16);
                    return true;
                }
            }
            return false;
        },
        5000);
    return port;
}

void TestMonkey::randomOperator() {
    const int actions = qEnvironmentVariableIsSet("QUILLON_MONKEY_ACTIONS")
                            ? qEnvironmentVariableIntValue("QUILLON_MONKEY_ACTIONS")
                            : 3000;
    for (int i = 0; i < actions; ++i) {
        Act();
        CheckWindow();
        if (QTest::currentTestFailed()) {
            qWarning("after action %d", i);
            return;
        }
    }
    qInfo("%d actions, %d master writes, %d boxes closed (%d TIMEOUT)", actions, masterWrites_,
          closer_->count(), int(closer_->texts.count(QStringLiteral("TIMEOUT"))));

    // Back to a known course: port 1 open, no release pending, the link idle.
    form_->PageControl1->setCurrentWidget(form_->TabSheet1);
    if (form_->BtnCOM->text() != QStringLiteral("COM1")) {
        form_->InComNr->setText(QStringLiteral("1"));
        if (form_->BtnCOM->text() != QStringLiteral("COM?")) {
            Click(form_->BtnCOM); // open on another number: close it first
            QTRY_COMPARE(form_->BtnCOM->text(), QStringLiteral("COM?"));
        }
        Click(form_->BtnCOM);
        QTRY_COMPARE(form_->BtnCOM->text(), QStringLiteral("COM1"));
    }
    QTRY_VERIFY(!form_->Timer1->isActive());
    // A write refused as busy leaves the image ahead of the adapter, as designed; one
    // accepted write from the entry brings both to the same byte.
    const QString last = RandomText(2, true).toUpper();
    // A click while the link is still busy is refused; the adapter's own log tells when
    // one got through.
    const QRegularExpression written(QStringLiteral("^port [0-9A-F]{2} -> %1$").arg(last));
    bool sent = false;
    for (int attempt = 0; attempt < 50 && !sent; ++attempt) {
        const qsizetype before = sim_->EventTexts().size();
        form_->EditWrite->setText(last);
        Click(form_->BtnWData);
        sent = QTest::qWaitFor(
            [&] {
                const QStringList& events = sim_->EventTexts();
                for (qsizetype i = before; i < events.size(); ++i) {
                    if (written.match(events.at(i)).hasMatch()) {
                        return true;
                    }
                }
                return false;
            },
            500);
    }
    QVERIFY(sent);
    QTRY_VERIFY(form_->StatusText().startsWith(QStringLiteral("Data write")));
    QCOMPARE(form_->LEDP0->StatusInt(), last.toInt(nullptr, 16));
    std::optional<int> port = SimulatorPort();
    QVERIFY(port.has_value());
    QCOMPARE(*port, form_->LEDP0->StatusInt());

    // And the bus side still reaches the window.
    const int mastered = (*port ^ 0x5A) & 0xFF;
    sim_->Command(QStringLiteral("write %1").arg(mastered, 2, 16, QLatin1Char('0')));
    QTRY_COMPARE(form_->LEDP0->StatusInt(), mastered);
    QCOMPARE(form_->StatusText(), QStringLiteral("Data received"));
    port = SimulatorPort();
    QVERIFY(port.has_value());
    QCOMPARE(*port, form_->LEDP0->StatusInt());
    QVERIFY(form_->isVisible());
}

QUILLON_TEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
