#pragma once
// Pixel work of the Qt canvas that needs no painter: scratch images kept between layers and
// frames, a rounded box's coverage worked out pixel by pixel, premultiplied copies of pictures,
// and saturation.
//
// Internal to the Qt renderer; main thread only.

#include "platform/image.h"
#include "ui/path.h"

#include <QImage>
#include <QPoint>
#include <QSize>

#include <cstdint>
#include <vector>

namespace quorlix::ui::qt {

// A few images kept between layers and frames: allocating large images each frame costs more
// than drawing into them.
class ImagePool {
public:
    // Cleared, unless the caller writes every pixel.
    QImage take(QSize size, bool clear = true);
    void give(QImage image);

private:
    std::vector<QImage> free_;
};

// The pool all canvases share.
ImagePool& scratchImages();

// `box` (device pixels) filled with `pixel` (premultiplied) into `into`, whose pixel (0, 0) is
// the device's `origin`: each pixel gets the share of it the box covers, exactly along the
// straight sides and by its centre's distance from the corner's circle at the corners.
void rasterRoundedBox(QImage& into, QPoint origin, const RoundedBox& box, std::uint32_t pixel);

// A picture's pixels, premultiplied as painting wants them; recent ones are kept converted.
QImage premultiplied(const platform::Image& picture);

// `image` with its saturation scaled by `amount` (0: grey, 1: as it is).
void saturate(QImage& image, double amount);

}  // namespace quorlix::ui::qt
