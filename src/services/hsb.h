#pragma once
// Hue, saturation and brightness (HSV) of an sRGB colour, each 0...1, and back. Greys have
// hue 0; a hue of 1 is red again.

#include "foundation/rgba.h"

namespace quorlix {

struct HSB {
    double hue = 0;
    double saturation = 0;
    double brightness = 0;

    static HSB of(const RGBA& color);
    // The colour of these components; values outside 0...1 are clamped.
    RGBA color(double opacity = 1) const;
};

}  // namespace quorlix
