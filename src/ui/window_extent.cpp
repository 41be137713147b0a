#include "ui/window_extent.h"

#include "ui/region.h"

#include <cmath>

namespace quorlix::ui {

namespace {

// What a subtree draws, in its parent's space; nothing for a subtree faded out.
Rect drawn(const DisplayItem& item) { return item.opacity <= 0 ? Rect{} : item.visualBounds(); }

// Out to whole points, so the window's edges fall on pixels and a fraction's change moves
// nothing.
Rect roundedOut(const Rect& r) {
    const double x0 = std::floor(r.minX()), y0 = std::floor(r.minY());
    return {x0, y0, std::ceil(r.maxX()) - x0, std::ceil(r.maxY()) - y0};
}

bool holds(const Rect& outer, const Rect& inner) {
    return inner.isEmpty() || (inner.minX() >= outer.minX() && inner.minY() >= outer.minY() &&
                               inner.maxX() <= outer.maxX() && inner.maxY() <= outer.maxY());
}

}  // namespace

void WindowExtent::setLimit(const Rect& limit) {
    limit_ = limit;
    if (!rect_.isEmpty()) rect_ = needed();
}

bool WindowExtent::setInputRegion(const std::vector<Rect>& areas, bool animating) {
    input_ = areas;
    return !rect_.isEmpty() && settle(animating);
}

bool WindowExtent::update(const DisplayItem& target, const DisplayItem& shown, bool animating) {
    drawn_ = unionOf(drawn(target), drawn(shown));
    return settle(animating);
}

Rect WindowExtent::needed() const {
    Rect r = drawn_;
    for (const Rect& area : input_) r = unionOf(r, area);
    r = roundedOut(intersectionOf(r, limit_));
    // A window has a pixel at the least: one of the limit's.
    if (r.isEmpty()) return roundedOut(Rect(limit_.origin, {1, 1}));
    return r;
}

bool WindowExtent::settle(bool animating) {
    const Rect next = needed();
    Rect extent = rect_;
    if (rect_.isEmpty() || !animating)
        extent = next;
    else if (!holds(rect_, next))
        extent = unionOf(rect_, next);
    if (extent == rect_) return false;
    rect_ = extent;
    return true;
}

}  // namespace quorlix::ui
