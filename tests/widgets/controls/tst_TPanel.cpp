#include "tests/support/DataColumns.h"
#include "widgets/controls/TPanel.h"

#include <QApplication>
#include <QImage>
#include <QTest>

using quillon::testing::AddColumns;

namespace {

// Colours no style would pick by itself, so each pixel tells which part drew it.
const QColor kFace(200, 200, 200);
const QColor kLight(250, 250, 250);
const QColor kDark(100, 100, 100);
const QColor kText(0, 0, 200);

QColor ColorOf(QChar code) {
    switch (code.unicode()) {
    case 'L':
        return kLight;
    case 'D':
        return kDark;
    default:
        return kFace;
    }
}

} // namespace

class TestPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bevelsDrawFromTheEdgeInwards_data();
    void bevelsDrawFromTheEdgeInwards();
    void settersKeepValidValuesOnly();
    void captionStandsInTheMiddle();
};

void TestPanel::initTestCase() {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, kFace);
    palette.setColor(QPalette::Light, kLight);
    palette.setColor(QPalette::Dark, kDark);
    palette.setColor(QPalette::WindowText, kText);
    QApplication::setPalette(palette);
}

void TestPanel::bevelsDrawFromTheEdgeInwards_data() {
    // Pixels along the diagonal from the top-left and from the bottom-right corner:
    // L light, D dark, F face.
    AddColumns<int, int, int, QString, QString>(
        {"outer", "inner", "width", "fromTopLeft", "fromBottomRight"});
    QTest::newRow("default: raised outer")
        << int(TPanel::bvRaised) << int(TPanel::bvNone) << 1 << "LF"
        << "DF";
    QTest::newRow("no bevel") << int(TPanel::bvNone) << int(TPanel::bvNone) << 1 << "F"
                              << "F";
    QTest::newRow("lowered outer, raised inner")
        << int(TPanel::bvLowered) << int(TPanel::bvRaised) << 1 << "DLF"
        << "LDF";
    QTest::newRow("raised inner only") << int(TPanel::bvNone) << int(TPanel::bvRaised) << 2 << "LLF"
                                       << "DDF";
    QTest::newRow("lowered both, width 2")
        << int(TPanel::bvLowered) << int(TPanel::bvLowered) << 2 << "DDDDF"
        << "LLLLF";
}

void TestPanel::bevelsDrawFromTheEdgeInwards() {
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(int, width);
    QFETCH(QString, fromTopLeft);
    QFETCH(QString, fromBottomRight);
    TPanel panel;
    panel.resize(40, 30);
    panel.setBevelOuter(outer);
    panel.setBevelInner(inner);
    panel.setBevelWidth(width);
    QCOMPARE(panel.BorderSize(), fromTopLeft.size() - 1);

    const QImage image = panel.grab().toImage();
    for (int i = 0; i < fromTopLeft.size(); ++i) {
        QCOMPARE(image.pixelColor(i, i), ColorOf(fromTopLeft.at(i)));
        QCOMPARE(image.pixelColor(39 - i, 29 - i), ColorOf(fromBottomRight.at(i)));
    }
}

void TestPanel::settersKeepValidValuesOnly() {
    TPanel panel;
    panel.setBevelInner(TPanel::bvLowered);
    panel.setBevelOuter(TPanel::bvNone);
    panel.setBevelWidth(3);
    panel.setBevelInner(TPanel::bvRaised + 1);
    panel.setBevelOuter(-1);
    panel.setBevelWidth(0);
    QCOMPARE(panel.BevelInner(), int(TPanel::bvLowered));
    QCOMPARE(panel.BevelOuter(), int(TPanel::bvNone));
    QCOMPARE(panel.BevelWidth(), 3);
}

void TestPanel::captionStandsInTheMiddle() {
    TPanel panel;
    panel.resize(120, 60);
    QFont font = panel.font();
    font.setPixelSize(20);
    font.setBold(true);
    panel.setFont(font);
    panel.setCaption(QStringLiteral("0xFF"));
    QCOMPARE(panel.Caption(), QStringLiteral("0xFF"));

    const QImage image = panel.grab().toImage();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == kText) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY(!ink.isEmpty());
    // Centred within a couple of pixels either way: glyphs sit unevenly in their boxes.
    QVERIFY2(qAbs(ink.center().x() - 60) <= 3, qPrintable(QString::number(ink.center().x())));
    QVERIFY2(qAbs(ink.center().y() - 30) <= 4, qPrintable(QString::number(ink.center().y())));
}

QTEST_MAIN(TestPanel)
#include "tst_TPanel.moc"
