#include "LedTestUtil.h"
#include "tests/support/DataColumns.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace {

// Records the paint events a widget gets, with their regions.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    QList<QRegion> regions;
    void Clear() { regions.clear(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

// What is on screen, as opposed to QWidget::grab(), which paints the widget afresh.
QImage OnScreen(QWidget* top) {
    return top->screen()->grabWindow(top->winId()).toImage();
}

bool IsColor(const QColor& seen, const QColor& wanted) {
    return seen.rgb() == wanted.rgb();
}

constexpr quillon::platform::TColor kOn = quillon::platform::clRed;
constexpr quillon::platform::TColor kOff = quillon::platform::clBlue;

struct ShownLed {
    QWidget top;
    TIndLED* led;
    PaintSpy* spy;
    ShownLed() {
        top.resize(200, 100);
        led = new TIndLED(&top);
        led->move(10, 10);
        led->setLED_ColorOn(kOn);
        led->setLED_ColorOff(kOff);
        spy = new PaintSpy(led);
        top.show();
    }
    ~ShownLed() { delete spy; }
    // Waits for the window's first paint, lets it finish and forgets it, so that a test
    // counts only the paints it causes; false when the window never showed.
    bool FirstPaintDone() {
        if (!QTest::qWaitForWindowExposed(&top) ||
            !QTest::qWaitFor([this] { return !spy->regions.isEmpty(); })) {
            return false;
        }
        QCoreApplication::processEvents();
        spy->Clear();
        return true;
    }
    QColor LampCentre(const QImage& screen) const {
        return screen.pixelColor(led->mapTo(&top, led->LED()->Rect().center()));
    }
};

} // namespace

class TestIndLEDPaint : public QObject {
    Q_OBJECT
private slots:
    void lampSizeBounds_data();
    void lampSizeBounds();
    void lampRectPerPosition_data();
    void lampRectPerPosition();
    void roundLampIsSquare();
    void litAndUnlitColours_data();
    void litAndUnlitColours();
    void captionDrawnBesideLamp();
    void stateChangeRepaintsOnlyLamp();
    void flashPhasePaintsLampOnly();
    void hiddenLedSkipsPartialRedraw();
    void layoutChangesRepaintWhole_data();
    void layoutChangesRepaintWhole();
    void pendingFullUpdateSurvivesLampRedraw();
};

void TestIndLEDPaint::lampSizeBounds_data() {
    quillon::testing::AddColumns<int, int>({"value", "expected"});
    QTest::newRow("below") << 3 << 13;
    QTest::newRow("lowest") << 4 << 4;
    QTest::newRow("highest") << 40 << 40;
    QTest::newRow("above") << 41 << 13;
}

void TestIndLEDPaint::lampSizeBounds() {
    QFETCH(int, value);
    QFETCH(int, expected);
    TIndLED led;
    int changes = 0;
    led.LED()->OnChange = [&](QObject*) { ++changes; };
    led.setLED_Width(value);
    led.setLED_Height(value);
    QCOMPARE(led.LED_Width(), expected);
    QCOMPARE(led.LED_Height(), expected);
    QCOMPARE(changes, expected == 13 ? 0 : 2);
}

void TestIndLEDPaint::lampRectPerPosition_data() {
    quillon::testing::AddColumns<int, QRect, QPoint>({"position", "lamp", "anchor"});
    // 73 x 33 control, 13 x 13 lamp, spacing 5.
    QTest::newRow("left") << int(TIndLED::lpLeft) << QRect(0, 10, 13, 13) << QPoint(18, 16);
    QTest::newRow("right") << int(TIndLED::lpRight) << QRect(60, 10, 13, 13) << QPoint(55, 16);
    QTest::newRow("top") << int(TIndLED::lpTop) << QRect(30, 0, 13, 13) << QPoint(36, 18);
    QTest::newRow("bottom") << int(TIndLED::lpBottom) << QRect(30, 20, 13, 13) << QPoint(36, 15);
}

void TestIndLEDPaint::lampRectPerPosition() {
    QFETCH(int, position);
    QFETCH(QRect, lamp);
    QFETCH(QPoint, anchor);
    TIndLED led;
    led.setLED_Position(TIndLED::TLEDPos(position));
    QCOMPARE(led.LampRect(), lamp);
    QCOMPARE(led.CaptionAnchor(), anchor);
    led.grab(); // a full paint stores the rectangle for the partial redraws
    QCOMPARE(led.LED()->Rect(), lamp);
}

void TestIndLEDPaint::roundLampIsSquare() {
    TIndLED led;
    led.setLED_Width(20);
    led.setLED_Height(10);
    led.setLED_ColorOff(kOff);
    const QImage image = led.grab().toImage();
    const QRect lamp = led.LED()->Rect();
    QCOMPARE(lamp.size(), QSize(20, 20));
    QCOMPARE(lamp.top(), 16 - 10);
    // The circle reaches from the top to the bottom of its square, in the middle column.
    const int cx = lamp.center().x();
    QVERIFY(IsColor(image.pixelColor(cx, lamp.top() + 2), quillon::platform::ColorToRGB(kOff)));
    QVERIFY(IsColor(image.pixelColor(cx, lamp.bottom() - 2), quillon::platform::ColorToRGB(kOff)));
    // Corners of the square stay outside the circle.
    QVERIFY(!IsColor(image.pixelColor(lamp.left() + 1, lamp.top() + 1),
                     quillon::platform::ColorToRGB(kOff)));
    // Other shapes keep their own proportions.
    led.setLED_Shape(TIndLED::sRectangle);
    led.grab();
    QCOMPARE(led.LED()->Rect().size(), QSize(20, 10));
}

void TestIndLEDPaint::litAndUnlitColours_data() {
    quillon::testing::AddColumns<int>({"shape"});
    QTest::newRow("round") << int(TIndLED::sRound);
    QTest::newRow("arrow left") << int(TIndLED::sArrowLeft);
    QTest::newRow("arrow right") << int(TIndLED::sArrowRight);
    QTest::newRow("arrow up") << int(TIndLED::sArrowUp);
    QTest::newRow("arrow down") << int(TIndLED::sArrowDown);
    QTest::newRow("rectangle") << int(TIndLED::sRectangle);
}

void TestIndLEDPaint::litAndUnlitColours() {
    QFETCH(int, shape);
    TIndLED led;
    led.setLED_Shape(TIndLED::TLEDShape(shape));
    led.setLED_Width(20);
    led.setLED_Height(20);
    led.setLED_ColorOn(kOn);
    led.setLED_ColorOff(kOff);
    led.setCaption(QString());
    QImage image = led.grab().toImage();
    const QRect lamp = led.LED()->Rect();
    QCOMPARE(image.pixelColor(lamp.center()).rgb(), quillon::platform::ColorToRGB(kOff).rgb());
    led.setChecked(true);
    image = led.grab().toImage();
    QCOMPARE(image.pixelColor(lamp.center()).rgb(), quillon::platform::ColorToRGB(kOn).rgb());
    // Nothing is drawn outside the lamp rectangle when there is no caption.
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!lamp.contains(x, y) && IsColor(image.pixelColor(x, y), Qt::red))
                ++outside;
        }
    }
    QCOMPARE(outside, 0);
}

void TestIndLEDPaint::captionDrawnBesideLamp() {
    TIndLED led;
    led.resize(120, 80);
    QFont font;
    font.setPixelSize(12);
    led.setFont(font);
    QPalette pal = led.palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    led.setPalette(pal);
    led.setCaption(QStringLiteral("M|M|M"));
    const QImage image = led.grab().toImage();
    const QFontMetrics fm(font);
    const QRect lamp = led.LED()->Rect();
    // Rows that carry caption ink, right of the lamp.
    QList<int> inkRows;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = lamp.right() + 1; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                inkRows.append(y);
                break;
            }
        }
    }
    QVERIFY(!inkRows.isEmpty());
    const int h = fm.height();
    const int cy = led.height() / 2;
    // Ink spans the three lines around the centre and nothing beyond.
    QVERIFY(inkRows.first() >= cy - h / 2 - h);
    QVERIFY(inkRows.first() < cy - h / 2);
    QVERIFY(inkRows.last() <= cy - h / 2 + 3 * h);
    QVERIFY(inkRows.last() >= cy + h / 2);
    QVERIFY(inkRows.contains(cy)); // the middle line crosses the centre
    // Left edge of the caption sits at lamp width + spacing.
    int firstInkX = image.width();
    for (int y : inkRows) {
        for (int x = lamp.right() + 1; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                firstInkX = std::min(firstInkX, x);
                break;
            }
        }
    }
    QVERIFY(firstInkX >= lamp.width() + led.Spacing());
    QVERIFY(firstInkX <= lamp.width() + led.Spacing() + 3);
}

void TestIndLEDPaint::stateChangeRepaintsOnlyLamp() {
    ShownLed s;
    QVERIFY(s.FirstPaintDone());
    QVERIFY(!IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOn)));

    s.led->setChecked(true);
    // Drawn at once, before any event processing, and only the lamp.
    QCOMPARE(s.spy->regions.size(), 1);
    QCOMPARE(s.spy->regions[0].boundingRect(), s.led->LED()->Rect());
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOn)));
    // And nothing was left invalidated for later.
    QCoreApplication::processEvents();
    QCOMPARE(s.spy->regions.size(), 1);

    s.led->setStatusInt(0);
    QCOMPARE(s.spy->regions.size(), 2);
    QCOMPARE(s.spy->regions[1].boundingRect(), s.led->LED()->Rect());
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOff)));
}

void TestIndLEDPaint::flashPhasePaintsLampOnly() {
    ShownLed s;
    QVERIFY(s.FirstPaintDone());
    quillon::platform::TMessage msg;
    msg.Msg = TIndBinGControl::WM_INDFLASHPHASE;
    msg.LParam = 1;
    s.led->Dispatch(msg);
    QCOMPARE(s.spy->regions.size(), 1);
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOn)));
    QVERIFY(!s.led->Checked()); // a phase shows, it does not change the state
    msg.LParam = 0;
    s.led->Dispatch(msg);
    QCOMPARE(s.spy->regions.size(), 2);
    QCOMPARE(s.spy->regions[1].boundingRect(), s.led->LED()->Rect());
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOff)));
}

void TestIndLEDPaint::hiddenLedSkipsPartialRedraw() {
    ShownLed s;
    QVERIFY(QTest::qWaitForWindowExposed(&s.top));
    QTRY_VERIFY(!s.spy->regions.isEmpty());
    s.led->hide();
    QCoreApplication::processEvents();
    s.spy->Clear();
    s.led->setChecked(true);
    quillon::platform::TMessage msg;
    msg.Msg = TIndBinGControl::WM_INDFLASHPHASE;
    msg.LParam = 0;
    s.led->Dispatch(msg);
    QCoreApplication::processEvents();
    QCOMPARE(s.spy->regions.size(), 0);
}

void TestIndLEDPaint::layoutChangesRepaintWhole_data() {
    quillon::testing::AddColumns<QByteArray, QVariant>({"property", "value"});
    QTest::newRow("caption") << QByteArray("Caption") << QVariant(QStringLiteral("New|Text"));
    QTest::newRow("spacing") << QByteArray("Spacing") << QVariant(9);
    QTest::newRow("position") << QByteArray("LED_Position")
                              << QVariant::fromValue(TIndLED::lpRight);
    QTest::newRow("shape") << QByteArray("LED_Shape") << QVariant::fromValue(TIndLED::sArrowUp);
    QTest::newRow("colour on") << QByteArray("LED_ColorOn")
                               << QVariant(int(quillon::platform::clNavy));
    QTest::newRow("lamp width") << QByteArray("LED_Width") << QVariant(20);
}

void TestIndLEDPaint::layoutChangesRepaintWhole() {
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    ShownLed s;
    QVERIFY(s.FirstPaintDone());
    QVERIFY(s.led->setProperty(property, value));
    QCOMPARE(s.spy->regions.size(), 0); // invalidated, painted by the event loop
    QTRY_COMPARE(s.spy->regions.size(), 1);
    QCOMPARE(s.spy->regions[0].boundingRect(), s.led->rect());
}

void TestIndLEDPaint::pendingFullUpdateSurvivesLampRedraw() {
    ShownLed s;
    QVERIFY(QTest::qWaitForWindowExposed(&s.top));
    QPalette pal = s.led->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    s.led->setPalette(pal);
    s.led->setCaption(QString());
    QTRY_VERIFY(!s.spy->regions.isEmpty());
    QCoreApplication::processEvents();
    const QRect captionArea =
        s.led->rect().adjusted(s.led->LED()->Rect().right() + 2, 0, 0, 0).translated(s.led->pos());
    auto captionInk = [&] {
        const QImage screen = OnScreen(&s.top);
        int ink = 0;
        for (int y = captionArea.top(); y <= captionArea.bottom(); ++y) {
            for (int x = captionArea.left(); x <= captionArea.right(); ++x)
                ink += qGray(screen.pixel(x, y)) < 100;
        }
        return ink;
    };
    QCOMPARE(captionInk(), 0);

    // A caption change waits for the event loop; a state change in the meantime redraws at
    // once. Whichever way Qt combines the two, the caption must reach the screen.
    s.led->setCaption(QStringLiteral("WWW"));
    s.led->setChecked(true);
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOn)));
    QTRY_VERIFY(captionInk() > 0);
    QVERIFY(IsColor(s.LampCentre(OnScreen(&s.top)), quillon::platform::ColorToRGB(kOn)));
}

QTEST_MAIN(TestIndLEDPaint)
#include "tst_IndLEDPaint.moc"
