#pragma once
// A plain sRGB colour value for models that carry a colour (an agent's tint, a calendar's
// colour) without depending on the view layer. Components lie in 0...1.

namespace quorlix {

struct RGBA {
    double red = 0;
    double green = 0;
    double blue = 0;
    double opacity = 1;

    friend bool operator==(const RGBA&, const RGBA&) = default;
};

}  // namespace quorlix
