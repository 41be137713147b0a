#pragma once
// Plain geometry values shared by the window code, the island model and the view layer.
// Lengths are points (device-independent pixels).

#include <algorithm>
#include <cmath>

namespace quorlix {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point o, Size s) : origin(o), size(s) {}
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    // Half-open on the far edges, as the platform's hit tests are.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    Rect insetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
    }
    Rect offsetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width, size.height};
    }
    // The smallest rectangle holding both.
    Rect united(const Rect& o) const {
        const double x = std::min(minX(), o.minX()), y = std::min(minY(), o.minY());
        return {x, y, std::max(maxX(), o.maxX()) - x, std::max(maxY(), o.maxY()) - y};
    }
    // The part both hold; empty (at the origin) when they do not meet.
    Rect intersected(const Rect& o) const {
        if (!intersects(o)) return {};
        const double x = std::max(minX(), o.minX()), y = std::max(minY(), o.minY());
        return {x, y, std::min(maxX(), o.maxX()) - x, std::min(maxY(), o.maxY()) - y};
    }
    // Whether `o` lies wholly within this one.
    bool contains(const Rect& o) const {
        return o.minX() >= minX() && o.maxX() <= maxX() && o.minY() >= minY() && o.maxY() <= maxY();
    }
    bool intersects(const Rect& o) const {
        return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

}  // namespace quorlix
