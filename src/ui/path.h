#pragma once
// A vector outline: subpaths of lines, quadratic and cubic Bézier curves, arcs and closes.
// Shapes build their outline as a Path for a rectangle; the canvas fills or strokes it.

#include "ui/transform.h"
#include "ui/types.h"

#include <optional>
#include <vector>

namespace quorlix::ui {

class Path {
public:
    enum class Verb { move, line, quad, cubic, close };
    struct Element {
        Verb verb;
        Point p[3];  // end point last: line {end}, quad {control, end}, cubic {c1, c2, end}
        friend bool operator==(const Element&, const Element&) = default;
    };

    void move(Point p);
    void line(Point p);
    void quad(Point control, Point end);
    void cubic(Point c1, Point c2, Point end);
    // Adds a circular arc about `center` from `start` to `end` (angles measured clockwise from
    // the positive x axis, as on screen), drawn clockwise or counter-clockwise. Joins the
    // current point with a line when a subpath is open, else starts a new one.
    void arc(Point center, double radius, Angle start, Angle end, bool clockwise = true);
    void close();

    void addRect(const Rect& r);
    void addEllipse(const Rect& r);
    // Rounded rectangle; `continuous` gives the smooth (squircle-like) corners.
    void addRoundedRect(const Rect& r, double radius, bool continuous = true);
    void addPath(const Path& other);

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    // The bounds of every point, control points included (an upper bound of the outline).
    Rect controlBounds() const;

    Path transformed(const Transform& t) const;
    // The part of the outline between two fractions of its length (0...1), as the platform's
    // `trim(from:to:)`: curves are flattened, and the result is a polyline.
    Path trimmed(double from, double to) const;
    // Whether `p` lies inside the filled outline (non-zero winding, every subpath closed).
    bool contains(Point p) const;
    // Whether all of `r` lies inside the filled outline: no piece of the outline comes into it
    // (curves are looked at closely only near it) and its centre is inside. When unsure, no.
    bool encloses(const Rect& r) const;
    // Straight-line approximation, one polyline per subpath (closed ones end at their start).
    std::vector<std::vector<Point>> flattened(double tolerance = 0.1) const;

    friend bool operator==(const Path&, const Path&) = default;

private:
    std::vector<Element> elements_;
    Point current_;
    Point subpathStart_;
    bool open_ = false;
};

// A rounded rectangle with quarter-circle corners (a capsule among them), as `addRoundedRect`
// makes it without continuous corners, in the path's coordinates.
struct RoundedBox {
    double x0, y0, x1, y1, radius;
};
// The rounded rectangle `path` is, if it is one.
std::optional<RoundedBox> roundedBoxOf(const Path& path);

}  // namespace quorlix::ui
