#include "ColorConv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ColorConv {

namespace {

constexpr const char* kHLSNames[3] = {"Hue", "Luminance", "Saturation"};
constexpr const char* kRGBNames[3] = {"Red", "Green", "Blue"};

// Corners of the colour hexagon on the scale -1..+1, one row per sixth of the circle.
constexpr double kHueCorner[6][3] = {
    {+1, -1, -1}, // red
    {+1, +1, -1}, // yellow
    {-1, +1, -1}, // green
    {-1, +1, +1}, // cyan
    {-1, -1, +1}, // blue
    {+1, -1, +1}, // magenta
};

constexpr double kEpsilon = 1e-8;

// Written as a negated range test so that NaN fails it too.
bool InUnitRange(double v) {
    return v >= 0.0 && v <= 1.0;
}

void CheckRange(const std::array<double, 3>& values, const char* const names[3],
                const char* function) {
    for (int i = 0; i < 3; ++i) {
        if (!InUnitRange(values[i])) {
            throw EColorConv(std::string(function) + ": 0 <= " + names[i] + " value <= 1 required");
        }
    }
}

double Clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// Round half to even, as the bevel colours have always been rounded.
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

void HLS2RGB(const THLSTriple& hls, TRGBTriple& rgb) {
    CheckRange(hls, kHLSNames, "HLS2RGB");
    const double h = hls[0];
    const double l = hls[1];
    const double s = hls[2];

    const double scaled = 6.0 * h;
    const double whole = std::floor(scaled);
    const int sector = static_cast<int>(whole) % 6;
    const int next = (sector + 1) % 6;
    const double f = scaled - whole;

    TRGBTriple result;
    for (int i = 0; i < 3; ++i) {
        double v = kHueCorner[sector][i] + f * (kHueCorner[next][i] - kHueCorner[sector][i]);
        v *= s;
        const double c = l > 0.5 ? l + (1.0 - l) * v : l * (v + 1.0);
        result[i] = Clamp01(c);
    }
    rgb = result;
}

void RGB2HLS(const TRGBTriple& rgb, THLSTriple& hls) {
    CheckRange(rgb, kRGBNames, "RGB2HLS");

    std::array<double, 3> centred;
    int largest = 0;
    for (int i = 0; i < 3; ++i) {
        centred[i] = 2.0 * rgb[i] - 1.0;
        if (std::fabs(centred[i]) > std::fabs(centred[largest])) {
            largest = i;
        }
    }
    const double magnitude = std::fabs(centred[largest]);
    if (magnitude < kEpsilon) {
        hls = {0.0, 0.5, 0.0};
        return;
    }
    // Near-equal components would give a hue from rounding noise; treat them as grey.
    const double target = centred[largest] > 0 ? 1.0 : -1.0;
    bool grey = true;
    for (double c : centred) {
        grey = grey && std::fabs(c / magnitude - target) <= kEpsilon;
    }
    if (grey) {
        hls = {0.0, rgb[0], 0.0};
        return;
    }

    const double r = rgb[0];
    const double g = rgb[1];
    const double b = rgb[2];
    // Ties go to the lowest index: red before green before blue.
    int maxIndex = 0;
    if (g > rgb[maxIndex]) {
        maxIndex = 1;
    }
    if (b > rgb[maxIndex]) {
        maxIndex = 2;
    }
    const double mx = rgb[maxIndex];
    const double mn = std::min({r, g, b});
    const double d = mx - mn;
    const double l = (mx + mn) / 2.0;
    const double s = l <= 0.5 ? d / (mx + mn) : d / (2.0 - mx - mn);

    double h;
    switch (maxIndex) {
    case 0:
        // Red with green not above blue lies at the end of the circle, so that pure red gets
        // hue 1 and hue never jumps across 0 for reds.
        h = g <= b ? 6.0 + (g - b) / d : (g - b) / d;
        break;
    case 1:
        h = 2.0 + (b - r) / d;
        break;
    default:
        h = 4.0 + (r - g) / d;
        break;
    }
    hls = {Clamp01(h / 6.0), Clamp01(l), Clamp01(s)};
}

void LightDarkColors(quillon::platform::TColor color, float lightFactor, float darkFactor,
                     quillon::platform::TColor& light, quillon::platform::TColor& dark) {
    const auto plain = static_cast<uint32_t>(quillon::platform::ColorToPlain(color));
    const int channels[3] = {static_cast<int>(plain & 0xFF), static_cast<int>((plain >> 8) & 0xFF),
                             static_cast<int>((plain >> 16) & 0xFF)};

    const double lf = lightFactor;
    uint32_t lightValue = 0;
    for (int i = 0; i < 3; ++i) {
        const auto c = static_cast<uint8_t>(255 - RoundEven(lf * (256 - channels[i])));
        lightValue |= static_cast<uint32_t>(c) << (8 * i);
    }

    THLSTriple hls;
    RGB2HLS({channels[0] / 255.0, channels[1] / 255.0, channels[2] / 255.0}, hls);
    hls[1] *= static_cast<double>(darkFactor);
    TRGBTriple rgb;
    HLS2RGB(hls, rgb);
    uint32_t darkValue = 0;
    for (int i = 0; i < 3; ++i) {
        darkValue |= static_cast<uint32_t>(RoundEven(rgb[i] * 255.0) & 0xFF) << (8 * i);
    }

    light = static_cast<quillon::platform::TColor>(lightValue);
    dark = static_cast<quillon::platform::TColor>(darkValue);
}

} // namespace ColorConv
