#pragma once
// The blurred, darkened desktop picture behind some of the settings window's previews (the
// option cards of `StylePicker`, the focus and lock-screen samples).
//
// `Wallpaper::image()` is a thumbnail of the desktop picture (its longer side at most 900
// pixels, upright), decoded on first use and never again in the process: a picture changed
// while the application runs shows from the next launch. Without one (no desktop picture, a
// file that does not decode), every backdrop draws a fixed dark gradient instead.
//
//     strip.background(WallpaperBackdrop{.blur = 16, .dim = 0.15})
//
// A backdrop fills the space it is offered (its users clip it). It blurs the picture once
// for each size it is drawn at, not at every frame. Main thread only.

#include "platform/image.h"
#include "ui/view.h"

#include <optional>

namespace quorlix {

namespace platform {
class DesktopPicture;
class ImageDecoder;
}  // namespace platform

struct Wallpaper {
    static constexpr int thumbnailSide = 900;

    // The thumbnail, read on first use from the installed platform.
    static const std::optional<platform::Image>& image();
    // Forgets it, so the next `image()` reads again (tests only).
    static void resetShared();
    // Puts a thumbnail in place without reading the desktop (tests and tools).
    static void setImage(std::optional<platform::Image> image);
    // The thumbnail of what `desktop` names, or nothing.
    static std::optional<platform::Image> load(platform::DesktopPicture* desktop,
                                               platform::ImageDecoder* decoder);
};

struct WallpaperBackdrop {
    double blur = 0;  // radius in points
    double dim = 0;   // opacity of the black laid over it

    ui::View body(ui::Context& ctx) const;
};

// `picture` scaled to cover `pixels` (cropped evenly, aspect kept), then blurred with a
// Gaussian of `sigma` pixels whose edges do not fade.
platform::Image coverBlurred(const platform::Image& picture, int width, int height, double sigma);

}  // namespace quorlix
