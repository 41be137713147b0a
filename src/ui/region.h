#pragma once
// An area of the root view's space made of a few rectangles: what changed between two frames,
// and so what a window repaints. Adding a rectangle that overlaps or nearly touches one
// already there merges the two when that wastes little area, so a region stays a handful of
// rectangles however many changes it gathers.
//
//     ui::Region damage;
//     damage.add(before.bounds);
//     damage.add(after.bounds);
//     for (const Rect& r : damage.rects()) ...

#include "platform/geometry.h"

#include <vector>

namespace quorlix::ui {

class Region {
public:
    Region() = default;
    explicit Region(const Rect& r) { add(r); }

    // Empty rectangles add nothing.
    void add(const Rect& r);
    void add(const Region& other);
    void clear() { rects_.clear(); }

    bool isEmpty() const { return rects_.empty(); }
    const std::vector<Rect>& rects() const { return rects_; }
    // The smallest rectangle holding the whole region (empty when the region is).
    Rect bounds() const;
    bool intersects(const Rect& r) const;
    // Every rectangle grown by `d` on each side.
    Region outset(double d) const;
    // Every rectangle cut to `limit`.
    Region intersected(const Rect& limit) const;
    double area() const;

private:
    void merge();
    std::vector<Rect> rects_;
};

// The smallest rectangle holding both (an empty one adds nothing).
Rect unionOf(const Rect& a, const Rect& b);
// The common part of both; empty (zero size) when they do not meet.
Rect intersectionOf(const Rect& a, const Rect& b);

}  // namespace quorlix::ui
