#pragma once

#include "platform/gui/SystemColors.h"

#include <array>
#include <stdexcept>
#include <string>

// RGB <-> HLS conversion (the double-hexcone model, every component scaled to 0..1, hue as a
// fraction of the colour circle) and the light and dark companions of a colour that bevels
// are drawn with.
namespace ColorConv {

// H, L, S in this order, each 0..1; hue 0 and 1 are both red.
using THLSTriple = std::array<double, 3>;
// R, G, B in this order, each 0..1.
using TRGBTriple = std::array<double, 3>;

class EColorConv : public std::runtime_error {
public:
    explicit EColorConv(const std::string& message) : std::runtime_error(message) {}
};

// Throws EColorConv naming the first component outside 0..1 (NaN included); the result is
// left untouched then.
void HLS2RGB(const THLSTriple& hls, TRGBTriple& rgb);
void RGB2HLS(const TRGBTriple& rgb, THLSTriple& hls);

// Light: each channel moves towards white by lightFactor of its distance (8-bit arithmetic).
// Dark: the luminance is multiplied by darkFactor. System colours are resolved first; both
// results are plain colours.
void LightDarkColors(quillon::platform::TColor color, float lightFactor, float darkFactor,
                     quillon::platform::TColor& light, quillon::platform::TColor& dark);

} // namespace ColorConv
