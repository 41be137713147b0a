#pragma once
// The status item's glyph: five rounded bars, 2.2 points wide, heights 5, 9.5, 13, 9.5 and 5,
// 1.5 points apart and centred in an 18 by 16 point image. A template image: black, with
// antialiased edges in the alpha; the status bar tints it for its light or dark look.

#include "platform/geometry.h"
#include "platform/image.h"

#include <array>

namespace quorlix {

struct MenuBarIcon {
    static constexpr Size size{18, 16};
    static constexpr const char* accessibilityDescription = "Quorlix";

    // At twice the point size (36 by 32 pixels), built once on first use.
    static const platform::Image& image();
    // At `scale` pixels per point.
    static platform::Image draw(double scale);

    // The five bars, in points, origin at the bottom left.
    static std::array<Rect, 5> bars();
};

}  // namespace quorlix
