#include "ui/region.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorlix::ui {

namespace {

// Beyond this many rectangles the two whose union wastes least are merged.
constexpr std::size_t maximumRects = 8;
// Two rectangles closer than this merge when their union wastes little.
constexpr double nearDistance = 8;

double areaOf(const Rect& r) { return r.isEmpty() ? 0 : r.width() * r.height(); }

bool near(const Rect& a, const Rect& b) {
    return a.minX() <= b.maxX() + nearDistance && b.minX() <= a.maxX() + nearDistance &&
           a.minY() <= b.maxY() + nearDistance && b.minY() <= a.maxY() + nearDistance;
}

// The area a merge adds beyond the two rectangles it replaces.
double waste(const Rect& a, const Rect& b) {
    const Rect u = unionOf(a, b);
    return areaOf(u) - areaOf(a) - areaOf(b) + areaOf(intersectionOf(a, b));
}

}  // namespace

Rect unionOf(const Rect& a, const Rect& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    const double x0 = std::min(a.minX(), b.minX()), y0 = std::min(a.minY(), b.minY());
    const double x1 = std::max(a.maxX(), b.maxX()), y1 = std::max(a.maxY(), b.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect intersectionOf(const Rect& a, const Rect& b) {
    const double x0 = std::max(a.minX(), b.minX()), y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX()), y1 = std::min(a.maxY(), b.maxY());
    return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

void Region::add(const Rect& r) {
    if (r.isEmpty() || !std::isfinite(r.width()) || !std::isfinite(r.height())) return;
    for (const Rect& mine : rects_)
        if (r.minX() >= mine.minX() && r.minY() >= mine.minY() && r.maxX() <= mine.maxX() &&
            r.maxY() <= mine.maxY())
            return;
    rects_.push_back(r);
    merge();
}

void Region::add(const Region& other) {
    for (const Rect& r : other.rects_) add(r);
}

void Region::merge() {
    // Merges neighbours whose union costs little, then the cheapest pairs while too many.
    bool merged = true;
    while (merged) {
        merged = false;
        for (std::size_t i = 0; i < rects_.size() && !merged; ++i)
            for (std::size_t j = i + 1; j < rects_.size() && !merged; ++j) {
                const Rect &a = rects_[i], &b = rects_[j];
                if (!near(a, b)) continue;
                if (waste(a, b) > 0.25 * (areaOf(a) + areaOf(b)) + nearDistance * nearDistance) continue;
                rects_[i] = unionOf(a, b);
                rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(j));
                merged = true;
            }
    }
    while (rects_.size() > maximumRects) {
        std::size_t bi = 0, bj = 1;
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < rects_.size(); ++i)
            for (std::size_t j = i + 1; j < rects_.size(); ++j)
                if (const double w = waste(rects_[i], rects_[j]); w < best) {
                    best = w;
                    bi = i;
                    bj = j;
                }
        rects_[bi] = unionOf(rects_[bi], rects_[bj]);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(bj));
    }
}

Rect Region::bounds() const {
    Rect b;
    for (const Rect& r : rects_) b = unionOf(b, r);
    return b;
}

bool Region::intersects(const Rect& r) const {
    return std::any_of(rects_.begin(), rects_.end(), [&](const Rect& mine) { return mine.intersects(r); });
}

Region Region::outset(double d) const {
    Region out;
    for (const Rect& r : rects_) out.add(r.insetBy(-d, -d));
    return out;
}

Region Region::intersected(const Rect& limit) const {
    Region out;
    for (const Rect& r : rects_) out.add(intersectionOf(r, limit));
    return out;
}

double Region::area() const {
    double a = 0;
    for (const Rect& r : rects_) a += areaOf(r);
    return a;
}

}  // namespace quorlix::ui
