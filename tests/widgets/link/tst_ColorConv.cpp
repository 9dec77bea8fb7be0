#include "tests/support/DataColumns.h"
#include "widgets/link/ColorConv.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTest>

#include <cmath>
#include <limits>

using namespace ColorConv;
using quillon::platform::TColor;

// HLS and RGB triples are the same type.
Q_DECLARE_METATYPE(ColorConv::THLSTriple)

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QString ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EColorConv& e) {
        return QString::fromStdString(e.what());
    }
    return QString();
}

void CompareTriple(const std::array<double, 3>& actual, const std::array<double, 3>& expected,
                   double tolerance = 1e-11) {
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(actual[i] - expected[i]) > tolerance) {
            QFAIL(qPrintable(QStringLiteral("component %1: %2 != %3")
                                 .arg(i)
                                 .arg(actual[i], 0, 'g', 17)
                                 .arg(expected[i], 0, 'g', 17)));
        }
    }
}

TColor Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

} // namespace

class TestColorConv : public QObject {
    Q_OBJECT

private slots:
    void hlsToRgb_data() {
        quillon::testing::AddColumns<THLSTriple, TRGBTriple>({"hls", "rgb"});
        QTest::newRow("red at hue 0") << THLSTriple{0, 0.5, 1} << TRGBTriple{1, 0, 0};
        QTest::newRow("red at hue 1") << THLSTriple{1, 0.5, 1} << TRGBTriple{1, 0, 0};
        QTest::newRow("green") << THLSTriple{2.0 / 6, 0.5, 1} << TRGBTriple{0, 1, 0};
        QTest::newRow("blue") << THLSTriple{4.0 / 6, 0.5, 1} << TRGBTriple{0, 0, 1};
        QTest::newRow("grey ignores hue") << THLSTriple{0.37, 0.3, 0} << TRGBTriple{0.3, 0.3, 0.3};
        QTest::newRow("dark orange") << THLSTriple{1.0 / 12, 0.25, 1} << TRGBTriple{0.5, 0.25, 0};
        QTest::newRow("pale cyan") << THLSTriple{0.5, 0.75, 0.5} << TRGBTriple{0.625, 0.875, 0.875};
        QTest::newRow("white") << THLSTriple{0.2, 1, 1} << TRGBTriple{1, 1, 1};
    }
    void hlsToRgb() {
        QFETCH(THLSTriple, hls);
        QFETCH(TRGBTriple, rgb);
        TRGBTriple out{-1, -1, -1};
        HLS2RGB(hls, out);
        CompareTriple(out, rgb);
    }

    void rgbToHls_data() {
        quillon::testing::AddColumns<TRGBTriple, THLSTriple>({"rgb", "hls"});
        QTest::newRow("middle grey") << TRGBTriple{0.5, 0.5, 0.5} << THLSTriple{0, 0.5, 0};
        QTest::newRow("light grey") << TRGBTriple{0.8, 0.8, 0.8} << THLSTriple{0, 0.8, 0};
        QTest::newRow("black") << TRGBTriple{0, 0, 0} << THLSTriple{0, 0, 0};
        QTest::newRow("white") << TRGBTriple{1, 1, 1} << THLSTriple{0, 1, 0};
        QTest::newRow("red gets hue 1") << TRGBTriple{1, 0, 0} << THLSTriple{1, 0.5, 1};
        QTest::newRow("dark red, green = blue")
            << TRGBTriple{0.6, 0.2, 0.2} << THLSTriple{1, 0.4, 0.5};
        QTest::newRow("blue") << TRGBTriple{0, 0, 1} << THLSTriple{2.0 / 3, 0.5, 1};
        QTest::newRow("yellow") << TRGBTriple{1, 1, 0} << THLSTriple{1.0 / 6, 0.5, 1};
        QTest::newRow("magenta") << TRGBTriple{1, 0, 1} << THLSTriple{5.0 / 6, 0.5, 1};
        QTest::newRow("cyan") << TRGBTriple{0, 1, 1} << THLSTriple{0.5, 0.5, 1};
        QTest::newRow("red towards magenta")
            << TRGBTriple{1, 0, 0.5} << THLSTriple{11.0 / 12, 0.5, 1};
        QTest::newRow("bright orange") << TRGBTriple{1, 0.75, 0.5} << THLSTriple{1.0 / 12, 0.75, 1};
    }
    void rgbToHls() {
        QFETCH(TRGBTriple, rgb);
        QFETCH(THLSTriple, hls);
        THLSTriple out{-1, -1, -1};
        RGB2HLS(rgb, out);
        CompareTriple(out, hls);
    }

    void rangeErrors_data() {
        quillon::testing::AddColumns<bool, THLSTriple, QString>({"toRgb", "input", "message"});
        const QString hls = QStringLiteral("HLS2RGB: 0 <= %1 value <= 1 required");
        const QString rgb = QStringLiteral("RGB2HLS: 0 <= %1 value <= 1 required");
        using A = THLSTriple;
        QTest::newRow("luminance below 0") << true << A{0.5, -0.1, 0.5} << hls.arg("Luminance");
        QTest::newRow("hue reported first") << true << A{2, -0.1, 0.5} << hls.arg("Hue");
        QTest::newRow("saturation above 1") << true << A{0, 0.5, 1.0001} << hls.arg("Saturation");
        QTest::newRow("NaN hue") << true << A{kNaN, 0.5, 0.5} << hls.arg("Hue");
        QTest::newRow("blue above 1") << false << A{0.2, 0.3, 1.5} << rgb.arg("Blue");
        QTest::newRow("red below 0") << false << A{-0.01, 2, 2} << rgb.arg("Red");
        QTest::newRow("NaN green") << false << A{0.5, kNaN, 0.5} << rgb.arg("Green");
    }
    void rangeErrors() {
        QFETCH(bool, toRgb);
        QFETCH(THLSTriple, input);
        QFETCH(QString, message);
        THLSTriple out{7, 7, 7};
        const QString error = ErrorOf([&] { toRgb ? HLS2RGB(input, out) : RGB2HLS(input, out); });
        QCOMPARE(error, message);
        // A rejected input leaves the result alone.
        CompareTriple(out, {7, 7, 7}, 0);
    }

    void rgbRoundTrip() {
        for (int r = 0; r <= 10; ++r) {
            for (int g = 0; g <= 10; ++g) {
                for (int b = 0; b <= 10; ++b) {
                    const TRGBTriple rgb{r / 10.0, g / 10.0, b / 10.0};
                    THLSTriple hls;
                    TRGBTriple back;
                    RGB2HLS(rgb, hls);
                    HLS2RGB(hls, back);
                    CompareTriple(back, rgb, 1e-11);
                    if (QTest::currentTestFailed()) {
                        return;
                    }
                }
            }
        }
    }

    // Colours with a defined hue come back with the same hue; 0 and 1 are the same red.
    void hlsRoundTrip() {
        for (int h = 0; h < 24; ++h) {
            for (int l = 1; l < 10; ++l) {
                for (int s = 1; s <= 10; ++s) {
                    const THLSTriple hls{h / 24.0, l / 10.0, s / 10.0};
                    TRGBTriple rgb;
                    THLSTriple back;
                    HLS2RGB(hls, rgb);
                    RGB2HLS(rgb, back);
                    if (h == 0) {
                        back[0] -= 1.0;
                    }
                    CompareTriple(back, hls, 1e-9);
                    if (QTest::currentTestFailed()) {
                        return;
                    }
                }
            }
        }
    }

    void lightDark_data() {
        quillon::testing::AddColumns<TColor, TColor, TColor>({"color", "light", "dark"});
        QTest::newRow("silver") << Rgb(192, 192, 192) << Rgb(223, 223, 223) << Rgb(115, 115, 115);
        QTest::newRow("blue") << Rgb(0, 0, 255) << Rgb(127, 127, 255) << Rgb(0, 0, 153);
        QTest::newRow("white") << Rgb(255, 255, 255) << Rgb(255, 255, 255) << Rgb(153, 153, 153);
        QTest::newRow("black") << Rgb(0, 0, 0) << Rgb(127, 127, 127) << Rgb(0, 0, 0);
        // The distance to white is 256 - x: channels whose half distance is odd, or ends in .5
        // next to an odd number, come out one step off if 255 - x is taken instead.
        QTest::newRow("orange, odd half distances")
            << Rgb(254, 130, 2) << Rgb(254, 192, 128) << Rgb(153, 78, 1);
        QTest::newRow("azure, tie rounded to even")
            << Rgb(1, 127, 255) << Rgb(127, 191, 255) << Rgb(0, 76, 154);
    }
    void lightDark() {
        QFETCH(TColor, color);
        QFETCH(TColor, light);
        QFETCH(TColor, dark);
        TColor l = -1;
        TColor d = -1;
        LightDarkColors(color, 0.5f, 0.6f, l, d);
        QCOMPARE(QString::number(l, 16), QString::number(light, 16));
        QCOMPARE(QString::number(d, 16), QString::number(dark, 16));
    }

    void lightDarkOfSystemColour() {
        QPalette palette = QGuiApplication::palette();
        palette.setColor(QPalette::Active, QPalette::Button, QColor(192, 192, 192));
        QGuiApplication::setPalette(palette);
        TColor l = -1;
        TColor d = -1;
        LightDarkColors(quillon::platform::clBtnFace, 0.5f, 0.6f, l, d);
        QCOMPARE(l, Rgb(223, 223, 223));
        QCOMPARE(d, Rgb(115, 115, 115));

        palette.setColor(QPalette::Active, QPalette::Button, QColor(0, 0, 255));
        QGuiApplication::setPalette(palette);
        LightDarkColors(quillon::platform::clBtnFace, 0.5f, 0.6f, l, d);
        QCOMPARE(l, Rgb(127, 127, 255));
        QCOMPARE(d, Rgb(0, 0, 153));
    }

    void darkFactorAboveOneIsRejected() {
        TColor l = 0;
        TColor d = 0;
        QCOMPARE(ErrorOf([&] { LightDarkColors(Rgb(255, 255, 255), 0.5f, 1.5f, l, d); }),
                 QStringLiteral("HLS2RGB: 0 <= Luminance value <= 1 required"));
    }
};

QTEST_MAIN(TestColorConv)
#include "tst_ColorConv.moc"
