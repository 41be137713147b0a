#pragma once
// The full-artwork lock view's backdrop: the artwork filling a screen of `size` points (its
// aspect kept, what overflows cut off), enlarged 1.35 times about the centre, blurred with a
// radius of 70 points and saturated 1.3 times. So wide a blur keeps no detail finer than a
// few points, so the backdrop is made once, a few points to the pixel, and drawn stretched
// over the screen: a frame of the lock screen then costs one picture, not a blur.
//
//     ArtworkBackdrop backdrop;
//     const auto& picture = backdrop.picture(artwork, {1440, 900});   // made on the first call
//
// Main thread only.

#include "platform/geometry.h"
#include "platform/image.h"

#include <optional>

namespace quorlix {

class ArtworkBackdrop {
public:
    static constexpr double zoom = 1.35;
    static constexpr double blurRadius = 70;
    static constexpr double saturation = 1.3;

    // The backdrop of `artwork` over `size`; nothing for an empty picture or size.
    static std::optional<platform::Image> make(const platform::Image& artwork, Size size);

    // The backdrop of `artwork` over `size`, made again only when the picture (by its pixels)
    // or the size differs from the last call's.
    const std::optional<platform::Image>& picture(const platform::Image& artwork, Size size);
    // How many backdrops this one has made.
    int madeCount() const { return made_; }

private:
    platform::Image artwork_;
    Size size_;
    std::optional<platform::Image> picture_;
    int made_ = 0;
};

}  // namespace quorlix
