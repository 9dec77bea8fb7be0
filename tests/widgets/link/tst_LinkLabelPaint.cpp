#include "FixedMetric.h"
#include "tests/support/DataColumns.h"
#include "widgets/link/LinkLabel.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QPalette>
#include <QTest>

using namespace quillon::platform;

namespace {

TColor Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

const QColor kHostColor(0, 128, 0);

// Bounding box of the pixels of exactly this colour inside the area.
QRect BoxOf(const QImage& image, const QRect& area, TColor color) {
    const QRgb wanted = ColorToRGB(color).rgb();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == wanted) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

int CountOf(const QImage& image, const QRect& area, TColor color) {
    const QRgb wanted = ColorToRGB(color).rgb();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixel(x, y) == wanted ? 1 : 0;
        }
    }
    return count;
}

// A host in a colour no label uses, holding one label at (10, 10) in a large font drawn
// without antialiasing, so that every text pixel has exactly the colour it was drawn in.
struct Scene {
    QWidget host;
    TLinkLabel* label;

    Scene() {
        host.resize(300, 120);
        host.setAutoFillBackground(true);
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, kHostColor);
        host.setPalette(palette);
        label = new TLinkLabel(&host);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(28);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        label->setFont(font);
        label->move(10, 10);
        label->setCaption(QStringLiteral("HIM"));
        label->setColor(Rgb(255, 255, 255));
        label->setFontColor(Rgb(0, 0, 255));
        label->setHighlightColor(Rgb(255, 255, 0));
        label->setShadowColor(Rgb(128, 0, 0));
    }
    QImage Grab() { return host.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect Area() const { return label->geometry(); }

    // Where the text and its two copies were drawn, each as the box of its colour.
    struct Copies {
        QRect text;
        QRect light;
        QRect shadow;
    };
    Copies GrabCopies() {
        const QImage image = Grab();
        return {BoxOf(image, Area(), label->FontColor()),
                BoxOf(image, Area(), label->HighlightColor()),
                BoxOf(image, Area(), label->ShadowColor())};
    }
};

void Enter(TLinkLabel& label) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &event);
}

} // namespace

class TestLinkLabelPaint : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { TLinkLabel::TextExtent = &TLinkLabel::MeasureWithFontMetrics; }

    void autoSize_data() {
        quillon::testing::AddColumns<QString, int, QVariantMap, QSize>(
            {"caption", "lineHeight", "settings", "size"});
        QTest::newRow("single bevel and border")
            << "0123456789" << 13
            << QVariantMap{{"BevelStyle", QVariant::fromValue(TLinkLabel::bvSingle)},
                           {"BevelWidth", 1},
                           {"BorderWidth", 2}}
            << QSize(107, 20);
        QTest::newRow("highlight and shadow")
            << "0123456789" << 20
            << QVariantMap{{"HighlightOffset", 2}, {"ShowHighlight", true}, {"ShowShadow", true}}
            << QSize(103, 23);
        QTest::newRow("offsets without highlight or shadow")
            << "0123456789" << 20 << QVariantMap{{"HighlightOffset", 2}, {"ShadowOffset", 4}}
            << QSize(100, 20);
        QTest::newRow("raised bevel")
            << "abc" << 10
            << QVariantMap{{"BevelStyle", QVariant::fromValue(TLinkLabel::bvRaised)},
                           {"BevelWidth", 3}}
            << QSize(36, 16);
        QTest::newRow("empty caption is one blank") << "" << 13 << QVariantMap{} << QSize(10, 13);
        QTest::newRow("lone ampersand is one blank") << "&" << 13 << QVariantMap{} << QSize(10, 13);
        QTest::newRow("accelerator takes no room")
            << "&File" << 13 << QVariantMap{} << QSize(40, 13);
        QTest::newRow("ampersand shown literally")
            << "&File" << 13 << QVariantMap{{"ShowAccelChar", false}} << QSize(50, 13);
        QTest::newRow("two lines") << "ab\nc" << 13 << QVariantMap{} << QSize(20, 26);
    }
    void autoSize() {
        QFETCH(QString, caption);
        QFETCH(int, lineHeight);
        QFETCH(QVariantMap, settings);
        QFETCH(QSize, size);
        ScopedMetric metric({10, lineHeight});
        TLinkLabel label;
        for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
            label.setProperty(it.key().toLatin1(), it.value());
        }
        label.setCaption(QStringLiteral("x"));
        label.setCaption(caption);
        QCOMPARE(label.size(), size);
    }

    void autoSizeOff() {
        ScopedMetric metric({10, 13});
        TLinkLabel label;
        label.setAutoSize(false);
        label.setCaption(QStringLiteral("a long caption"));
        QCOMPARE(label.size(), QSize(65, 17));
        label.setAutoSize(true);
        QCOMPARE(label.size(), QSize(140, 13));
    }

    void rightAlignedKeepsRightEdge() {
        ScopedMetric metric({10, 13});
        QWidget host;
        auto* label = new TLinkLabel(&host);
        label->setAlignment(TLinkLabel::taRightJustify);
        label->setBevelStyle(TLinkLabel::bvLowered);
        label->setGeometry(50, 5, 100, 20);
        const int right = label->geometry().right();
        for (const char* caption : {"a", "a much longer caption", "", "mid length", "a"}) {
            label->setCaption(QString::fromLatin1(caption));
            QCOMPARE(label->geometry().right(), right);
        }
        QCOMPARE(label->width(), 12);
    }

    void highlightOffsetWithoutHighlight() {
        Scene scene;
        const QSize size = scene.label->size();
        const QImage before = scene.Grab();
        scene.label->setHighlightOffset(5);
        QCOMPARE(scene.label->size(), size);
        QCOMPARE(scene.Grab(), before);
        scene.label->setShowHighlight(true);
        QCOMPARE(scene.label->height(), size.height() + 5);
    }

    // Highlight copy up and left, shadow down and right, text on top.
    void copiesTopLeft() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setHighlightOffset(2);
        label.setShowHighlight(true);
        label.setShowShadow(true);
        const auto [text, light, shadow] = scene.GrabCopies();
        QVERIFY(!text.isEmpty());
        QCOMPARE(light.topLeft(), text.topLeft() - QPoint(2, 2));
        QCOMPARE(shadow.bottomRight(), text.bottomRight() + QPoint(1, 1));
        // The copies lie beside the text, never over it.
        QVERIFY(light.left() < text.left() && shadow.right() > text.right());
        // Room for both offsets: nothing is cut off at the label's edges.
        QVERIFY(scene.Area().contains(light) && scene.Area().contains(shadow));
    }

    void copiesTopRight() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setHighlightPos(TLinkLabel::hpTopRight);
        label.setHighlightOffset(2);
        label.setShadowOffset(3);
        label.setShowHighlight(true);
        label.setShowShadow(true);
        const auto [text, light, shadow] = scene.GrabCopies();
        QCOMPARE(light.topRight(), text.topRight() + QPoint(2, -2));
        QCOMPARE(shadow.bottomLeft(), text.bottomLeft() + QPoint(-3, 3));
    }

    void disabledEmboss() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setShowHighlight(true);
        label.setShowShadow(true);
        label.setLinkActive(true);
        Enter(label);
        label.setEnabled(false);
        // Distinct plain colours for the emboss make its pixels identifiable.
        const QPalette original = QApplication::palette();
        QPalette palette = original;
        palette.setColor(QPalette::Active, QPalette::Light, QColor(250, 0, 250));
        palette.setColor(QPalette::Active, QPalette::Dark, QColor(0, 200, 200));
        QApplication::setPalette(palette);
        const QImage image = scene.Grab();
        const QRect shade = BoxOf(image, scene.Area(), clBtnShadow);
        const QRect light = BoxOf(image, scene.Area(), clBtnHighlight);
        QVERIFY(!shade.isEmpty());
        QCOMPARE(light.bottomRight(), shade.bottomRight() + QPoint(1, 1));
        QCOMPARE(CountOf(image, scene.Area(), label.FontColor()), 0);
        QCOMPARE(CountOf(image, scene.Area(), label.HighlightColor()), 0);
        QCOMPARE(CountOf(image, scene.Area(), label.ShadowColor()), 0);
        QApplication::setPalette(original);
    }

    void hoverLook() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setLinkActive(true);
        label.setHoverColor(Rgb(255, 200, 0));
        label.setHoverFontColor(Rgb(0, 0, 0));
        const int restingText = CountOf(scene.Grab(), scene.Area(), label.FontColor());

        Enter(label);
        QImage image = scene.Grab();
        const QPoint corner = scene.Area().topLeft();
        QCOMPARE(image.pixel(corner), ColorToRGB(label.HoverColor()).rgb());
        QCOMPARE(CountOf(image, scene.Area(), label.FontColor()), 0);
        const int underlined = CountOf(image, scene.Area(), label.HoverFontColor());
        // The underline adds a line of pixels below the glyphs.
        QVERIFY2(underlined > restingText,
                 qPrintable(QString("%1 <= %2").arg(underlined).arg(restingText)));

        label.setUnderlineOnEnter(false);
        image = scene.Grab();
        QCOMPARE(CountOf(image, scene.Area(), label.HoverFontColor()), restingText);

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&label, &leave);
        image = scene.Grab();
        QCOMPARE(image.pixel(corner), ColorToRGB(label.Color()).rgb());
        QCOMPARE(CountOf(image, scene.Area(), label.FontColor()), restingText);
    }

    void hoverWithoutLinkChangesNothing() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setHoverColor(Rgb(255, 200, 0));
        label.setHoverFontColor(Rgb(0, 0, 0));
        const QImage before = scene.Grab();
        Enter(label);
        QCOMPARE(scene.Grab(), before);
    }

    void transparentBackground() {
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setTransparent(true);
        label.setLinkActive(true);
        label.setHoverColor(label.Color());
        const QPoint corner = scene.Area().topLeft();
        QCOMPARE(scene.Grab().pixel(corner), kHostColor.rgb());
        Enter(label);
        QCOMPARE(scene.Grab().pixel(corner), kHostColor.rgb());
        label.setHoverColor(Rgb(255, 200, 0));
        QCOMPARE(scene.Grab().pixel(corner), ColorToRGB(label.HoverColor()).rgb());
        label.setTransparent(false);
        QCOMPARE(label.Transparent(), false);
    }

    void bevels_data() {
        quillon::testing::AddColumns<int, TColor, TColor, TColor, TColor>(
            {"bevel", "outerTopLeft", "outerBottomRight", "innerTopLeft", "innerBottomRight"});
        // Silver gives the light (223, 223, 223) and the dark (115, 115, 115).
        const TColor light = Rgb(223, 223, 223);
        const TColor dark = Rgb(115, 115, 115);
        QTest::newRow("raised") << int(TLinkLabel::bvRaised) << light << dark << light << dark;
        QTest::newRow("lowered") << int(TLinkLabel::bvLowered) << dark << light << dark << light;
        QTest::newRow("single") << int(TLinkLabel::bvSingle) << dark << light << clBlack
                                << clSilver;
        QTest::newRow("frame") << int(TLinkLabel::bvFrame) << clWindowFrame << clWindowFrame
                               << clWindowFrame << clWindowFrame;
    }
    void bevels() {
        QFETCH(int, bevel);
        QFETCH(TColor, outerTopLeft);
        QFETCH(TColor, outerBottomRight);
        QFETCH(TColor, innerTopLeft);
        QFETCH(TColor, innerBottomRight);
        Scene scene;
        TLinkLabel& label = *scene.label;
        label.setColor(clSilver);
        label.setBevelStyle(static_cast<TLinkLabel::TLabelBevel>(bevel));
        label.setBevelWidth(2);
        const QImage image = scene.Grab();
        const QRect r = scene.Area();
        const auto at = [&](int x, int y) { return image.pixel(x, y); };
        const auto rgb = [](TColor c) { return ColorToRGB(c).rgb(); };
        // Width 2: two lines of the edge colours, then the inner line of a single bevel.
        QCOMPARE(at(r.left(), r.top()), rgb(outerTopLeft));
        QCOMPARE(at(r.left() + 1, r.center().y()), rgb(outerTopLeft));
        QCOMPARE(at(r.center().x(), r.bottom()), rgb(outerBottomRight));
        QCOMPARE(at(r.right() - 1, r.bottom() - 1), rgb(outerBottomRight));
        if (bevel == TLinkLabel::bvSingle) {
            QCOMPARE(at(r.left() + 2, r.top() + 2), rgb(innerTopLeft));
            QCOMPARE(at(r.right() - 2, r.bottom() - 2), rgb(innerBottomRight));
        }
    }

    // A right-aligned label sized to its text shows all of it, like a left-aligned one.
    void rightAlignedTextIsWhole_data() {
        quillon::testing::AddColumns<bool>({"copies"});
        QTest::newRow("plain") << false;
        QTest::newRow("highlight and shadow") << true;
    }
    void rightAlignedTextIsWhole() {
        QFETCH(bool, copies);
        Scene left;
        Scene right;
        for (Scene* scene : {&left, &right}) {
            scene->label->setShowHighlight(copies);
            scene->label->setShowShadow(copies);
        }
        right.label->setAlignment(TLinkLabel::taRightJustify);
        right.label->setCaption(QStringLiteral("x"));
        right.label->setCaption(left.label->Caption());
        QCOMPARE(right.label->size(), left.label->size());
        const QImage leftImage = left.Grab().copy(left.Area());
        const QImage rightImage = right.Grab().copy(right.Area());
        // Right alignment may place the glyphs a fraction of a pixel differently, no more.
        for (TColor color :
             {left.label->FontColor(), left.label->HighlightColor(), left.label->ShadowColor()}) {
            const QRect l = BoxOf(leftImage, leftImage.rect(), color);
            const QRect r = BoxOf(rightImage, rightImage.rect(), color);
            QCOMPARE(l.isEmpty(), !copies && color != left.label->FontColor());
            QVERIFY2(qAbs(l.left() - r.left()) <= 1 && qAbs(l.right() - r.right()) <= 1,
                     qPrintable(QStringLiteral("left-aligned %1..%2, right-aligned %3..%4")
                                    .arg(l.left())
                                    .arg(l.right())
                                    .arg(r.left())
                                    .arg(r.right())));
        }
    }

    // With accelerators hidden an "&" takes room and is drawn.
    void literalAmpersand() {
        TLinkLabel shown;
        TLinkLabel literal;
        literal.setShowAccelChar(false);
        shown.setCaption(QStringLiteral("A&B"));
        literal.setCaption(QStringLiteral("A&B"));
        const QFontMetrics metrics(literal.font());
        QCOMPARE(literal.width(), metrics.horizontalAdvance(QStringLiteral("A&B")));
        QVERIFY(shown.width() < literal.width());
    }

    // The path is shortened to the client width less 10 pixels.
    void shortenedPathIsDrawn() {
        ScopedMetric metric({10, 13});
        TLinkLabel label;
        label.setStyle(TLinkLabel::lsPath);
        label.setAutoSize(false);
        const QString path = QStringLiteral("C:\\Programme\\Tools\\Data\\file.txt");
        label.setCaption(path);
        label.resize(10 * 20 + 10, 20);
        QCOMPARE(label.DisplayText(), QStringLiteral("C:\\...\\Data\\file.txt"));
        label.resize(10 * 20 + 9, 20);
        QCOMPARE(label.DisplayText(), QStringLiteral("C:\\...\\file.txt"));
        label.resize(10 * 32 + 10, 20);
        QCOMPARE(label.DisplayText(), path);
        label.setShortenFilenames(false);
        label.resize(10, 20);
        QCOMPARE(label.DisplayText(), path);
    }
};

QTEST_MAIN(TestLinkLabelPaint)
#include "tst_LinkLabelPaint.moc"
