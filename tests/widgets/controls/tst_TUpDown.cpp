#include "tests/support/DataColumns.h"
#include "widgets/controls/TUpDown.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using quillon::testing::AddColumns;

class TestUpDown : public QObject {
    Q_OBJECT
private slots:
    void clickStepsStopsOrWrapsAndTells_data();
    void clickStepsStopsOrWrapsAndTells();
    void positionStaysWithinTheRange_data();
    void positionStaysWithinTheRange();
    void theArrowsAreTheClicks();
};

void TestUpDown::clickStepsStopsOrWrapsAndTells_data() {
    AddColumns<bool, int, TUpDown::TUDBtnType, int>({"wrap", "start", "button", "expected"});
    // The port number's range: 1 to 9.
    QTest::newRow("up") << false << 4 << TUpDown::btNext << 5;
    QTest::newRow("down") << false << 4 << TUpDown::btPrev << 3;
    QTest::newRow("up stops at the maximum") << false << 9 << TUpDown::btNext << 9;
    QTest::newRow("down stops at the minimum") << false << 1 << TUpDown::btPrev << 1;
    QTest::newRow("up wraps to the minimum") << true << 9 << TUpDown::btNext << 1;
    QTest::newRow("down wraps to the maximum") << true << 1 << TUpDown::btPrev << 9;
}

void TestUpDown::clickStepsStopsOrWrapsAndTells() {
    QFETCH(bool, wrap);
    QFETCH(int, start);
    QFETCH(TUpDown::TUDBtnType, button);
    QFETCH(int, expected);
    TUpDown upDown;
    QLineEdit edit;
    upDown.setMin(1);
    upDown.setMax(9);
    upDown.setWrap(wrap);
    upDown.setPosition(start);
    upDown.setAssociate(&edit);
    // The handler sees the new number already shown, as the window's handler reads it there.
    QObject* sender = nullptr;
    int clicks = 0;
    QString shownDuringClick;
    upDown.OnClick = [&](QObject* from, TUpDown::TUDBtnType which) {
        sender = from;
        QCOMPARE(which, button);
        shownDuringClick = edit.text();
        ++clicks;
    };

    upDown.Click(button);

    QCOMPARE(upDown.Position(), expected);
    QCOMPARE(edit.text(), QString::number(expected));
    QCOMPARE(clicks, 1);
    QCOMPARE(sender, &upDown);
    QCOMPARE(shownDuringClick, QString::number(expected));
}

void TestUpDown::positionStaysWithinTheRange_data() {
    AddColumns<int, int, int, int>({"min", "max", "position", "expected"});
    QTest::newRow("inside") << 1 << 9 << 7 << 7;
    QTest::newRow("above") << 1 << 9 << 12 << 9;
    QTest::newRow("below") << 1 << 9 << 0 << 1;
    QTest::newRow("negative range") << -5 << -2 << 0 << -2;
}

void TestUpDown::positionStaysWithinTheRange() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, position);
    QFETCH(int, expected);
    TUpDown upDown;
    upDown.setMin(min);
    upDown.setMax(max);
    upDown.setPosition(position);
    QCOMPARE(upDown.Position(), expected);

    // An edit attached later shows the position at once.
    QLineEdit edit;
    upDown.setAssociate(&edit);
    QCOMPARE(edit.text(), QString::number(expected));

    // Narrowing the range drags the position along.
    upDown.setMin(expected + 1);
    QCOMPARE(upDown.Position(), expected + 1);
    QCOMPARE(edit.text(), QString::number(expected + 1));
    upDown.setMax(expected + 1);
    upDown.setMin(expected - 3);
    upDown.setMax(expected - 2);
    QCOMPARE(upDown.Position(), expected - 2);
    QCOMPARE(edit.text(), QString::number(expected - 2));
}

void TestUpDown::theArrowsAreTheClicks() {
    TUpDown upDown;
    QLineEdit edit;
    upDown.setMin(1);
    upDown.setMax(9);
    upDown.setPosition(1);
    upDown.setAssociate(&edit);
    upDown.resize(15, 21);
    upDown.show();
    QList<TUpDown::TUDBtnType> heard;
    upDown.OnClick = [&](QObject*, TUpDown::TUDBtnType which) { heard.append(which); };

    // The arrows split the control's height between them.
    QCOMPARE(upDown.UpButton()->geometry(), QRect(0, 0, 15, 10));
    QCOMPARE(upDown.DownButton()->geometry(), QRect(0, 10, 15, 11));

    for (int i = 0; i < 10; ++i) {
        QTest::mouseClick(upDown.UpButton(), Qt::LeftButton);
    }
    QCOMPARE(upDown.Position(), 9);
    QCOMPARE(edit.text(), QStringLiteral("9"));
    QTest::mouseClick(upDown.DownButton(), Qt::LeftButton);
    QCOMPARE(upDown.Position(), 8);
    QCOMPARE(heard.size(), 11);
    QCOMPARE(heard.last(), TUpDown::btPrev);
    QCOMPARE(heard.first(), TUpDown::btNext);
}

QTEST_MAIN(TestUpDown)
#include "tst_TUpDown.moc"
