#pragma once
// The pixel work behind the Qt canvas's effects: Gaussian blurs approximated by three box
// passes (wide ones on a reduced copy), shadows of a layer's alpha, and shadows of a filled
// outline assembled nine-slice fashion, so that the shadow of a long rounded rectangle costs
// the blur of its corners only.
//
// Internal to the Qt renderer; main thread only.

#include "ui/path.h"
#include "ui/qt/effect_cache.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorlix::ui::qt {

// The reduction a blur of `sigma` device pixels is made at, for an area of `size`.
int reductionFor(double sigma, QSize size);
// How far (device pixels) a blur of `sigma` made at reduction `factor` reaches from what it
// blurs, the reduction and the scaling back up included.
int blurReach(double sigma, int factor);

// A blurred copy of `image`, reduced by `factor` (to be drawn scaled back up).
QImage blurredReduced(const QImage& image, double sigma, bool opaque, int factor);
// The shadow of `image`: its alpha reduced by `factor`, blurred, painted in `color`.
QImage shadowOf(const QImage& image, double sigma, const QColor& color, int factor);

// The shadow a filled outline casts, drawn beneath what follows. `outline` is in device
// pixels (already offset by the shadow's offset); `margin` is how far the shadow is drawn
// beyond the outline's bounds. Straight runs of the outline (the sides of a rounded rectangle
// or a capsule) are stretched from a narrow copy, so only the corners are blurred, and the
// result is kept in `cache` under what it was made of.
struct OutlineShadow {
    Path outline;
    double sigma = 0;
    QColor color;
    int margin = 0;
    // Where shadows may be drawn (device pixels): the outline is cut to it, grown by the blur's reach.
    QRect limit;
    // An outline (device pixels) whose inside is painted over opaquely right after: no shadow
    // shows there, so it is not drawn there.
    std::optional<Path> covered;
    // What is painted (device pixels), when not all of it: pieces elsewhere are not drawn.
    std::vector<QRect> painted;
};
void drawOutlineShadow(QPainter& painter, const OutlineShadow& shadow, EffectCache& cache,
                       std::uint64_t owner);

// Whether `area` lies wholly inside `outline`, no piece of the outline coming into it.
bool liesInside(const Path& outline, const Rect& area);

}  // namespace quorlix::ui::qt
