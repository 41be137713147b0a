#pragma once
// The outline of the island over a camera notch: the top edge runs along the top of the
// screen, the two top corners flare outwards by `topRadius`, and the bottom corners are
// rounded by `bottomRadius`, clamped so they never pass half the body's width nor the end of
// the flares. All four corners are quadratic curves whose control point is the corner of
// their bounding box. Animating the two radii morphs the outline between island modes.

#include "ui/path.h"
#include "ui/shape.h"

namespace quorlix {

struct NotchShape : ui::ShapeBase<NotchShape> {
    double topRadius = 0;
    double bottomRadius = 0;

    NotchShape(double topRadius, double bottomRadius) : topRadius(topRadius), bottomRadius(bottomRadius) {}

    // The bottom radius actually drawn for a rectangle.
    double effectiveBottomRadius(const Rect& rect) const;
    ui::Path path(const Rect& rect) const;

    ui::AnimatableData animatableData() const { return {topRadius, bottomRadius}; }
    void setAnimatableData(const ui::AnimatableData& data) {
        if (data.size() < 2) return;
        topRadius = data[0];
        bottomRadius = data[1];
    }
};

}  // namespace quorlix
