#include "ui/path.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorlix::ui {

namespace {

Point lerp(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The points a curve from `from` is flattened to, within `tolerance`, its end last.
template <class Add>
void flattenCurve(const Path::Element& e, Point from, double tolerance, Add&& add) {
    auto steps = [&](double length) {
        return std::clamp(static_cast<int>(std::ceil(std::sqrt(length / std::max(tolerance, 1e-3)))), 1, 256);
    };
    if (e.verb == Path::Verb::quad) {
        const int n = steps(distance(from, e.p[0]) + distance(e.p[0], e.p[1]));
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n;
            add(lerp(lerp(from, e.p[0], t), lerp(e.p[0], e.p[1], t), t));
        }
        return;
    }
    const int n = steps(distance(from, e.p[0]) + distance(e.p[0], e.p[1]) + distance(e.p[1], e.p[2]));
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n;
        const Point a = lerp(from, e.p[0], t), b = lerp(e.p[0], e.p[1], t), c = lerp(e.p[1], e.p[2], t);
        add(lerp(lerp(a, b, t), lerp(b, c, t), t));
    }
}

// The box around a curve from `from` and its control points (the curve lies inside it).
std::array<double, 4> hullOf(const Path::Element& e, Point from) {
    double x0 = from.x, x1 = from.x, y0 = from.y, y1 = from.y;
    for (int i = 0; i <= (e.verb == Path::Verb::quad ? 1 : 2); ++i) {
        x0 = std::min(x0, e.p[i].x);
        x1 = std::max(x1, e.p[i].x);
        y0 = std::min(y0, e.p[i].y);
        y1 = std::max(y1, e.p[i].y);
    }
    return {x0, y0, x1, y1};
}

// Each edge of an outline as it is filled, every subpath closed: curves flattened to
// `tolerance` where `closely(hull)` asks for it, else by their chord. Stops when `edge(a, b)`
// answers true; whether it did.
template <class Closely, class Edge>
bool anyEdge(const std::vector<Path::Element>& elements, double tolerance, Closely&& closely, Edge&& edge) {
    Point cur, start;
    auto to = [&](Point next) {
        // A subpath of one point, or a piece of no length, has no edge.
        const bool stop = !(next == cur) && edge(cur, next);
        cur = next;
        return stop;
    };
    for (const auto& e : elements) {
        switch (e.verb) {
            case Path::Verb::move:
                if (to(start)) return true;
                cur = start = e.p[0];
                break;
            case Path::Verb::line:
                if (to(e.p[0])) return true;
                break;
            case Path::Verb::quad:
            case Path::Verb::cubic: {
                const Point end = e.p[e.verb == Path::Verb::quad ? 1 : 2];
                if (closely(hullOf(e, cur))) {
                    bool stopped = false;
                    flattenCurve(e, cur, tolerance, [&](Point next) { stopped = stopped || to(next); });
                    if (stopped) return true;
                }
                if (to(end)) return true;
                break;
            }
            case Path::Verb::close:
                if (to(start)) return true;
                break;
        }
    }
    return to(start);
}

}  // namespace

void Path::move(Point p) {
    elements_.push_back({Verb::move, {p, {}, {}}});
    current_ = subpathStart_ = p;
    open_ = true;
}

void Path::line(Point p) {
    if (!open_) move(current_);
    elements_.push_back({Verb::line, {p, {}, {}}});
    current_ = p;
}

void Path::quad(Point control, Point end) {
    if (!open_) move(current_);
    elements_.push_back({Verb::quad, {control, end, {}}});
    current_ = end;
}

void Path::cubic(Point c1, Point c2, Point end) {
    if (!open_) move(current_);
    elements_.push_back({Verb::cubic, {c1, c2, end}});
    current_ = end;
}

void Path::close() {
    if (!open_) return;
    elements_.push_back({Verb::close, {}});
    current_ = subpathStart_;
    open_ = false;
}

void Path::arc(Point c, double r, Angle start, Angle end, bool clockwise) {
    double a0 = start.radians, a1 = end.radians;
    const double twoPi = 2 * std::numbers::pi;
    double sweep = a1 - a0;
    if (clockwise) {
        while (sweep < 0) sweep += twoPi;
        if (sweep > twoPi) sweep = twoPi;
    } else {
        while (sweep > 0) sweep -= twoPi;
        if (sweep < -twoPi) sweep = -twoPi;
    }
    const Point first{c.x + r * std::cos(a0), c.y + r * std::sin(a0)};
    if (open_) line(first);
    else move(first);
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2))));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double s = a0 + i * step, e = s + step;
        const Point p0{c.x + r * std::cos(s), c.y + r * std::sin(s)};
        const Point p3{c.x + r * std::cos(e), c.y + r * std::sin(e)};
        const Point c1{p0.x - k * r * std::sin(s), p0.y + k * r * std::cos(s)};
        const Point c2{p3.x + k * r * std::sin(e), p3.y - k * r * std::cos(e)};
        cubic(c1, c2, p3);
    }
}

void Path::addRect(const Rect& r) {
    move(r.origin);
    line({r.maxX(), r.minY()});
    line({r.maxX(), r.maxY()});
    line({r.minX(), r.maxY()});
    close();
}

void Path::addEllipse(const Rect& r) {
    const double k = 0.5522847498;
    const double rx = r.width() / 2, ry = r.height() / 2, cx = r.midX(), cy = r.midY();
    move({r.maxX(), cy});
    cubic({r.maxX(), cy + k * ry}, {cx + k * rx, r.maxY()}, {cx, r.maxY()});
    cubic({cx - k * rx, r.maxY()}, {r.minX(), cy + k * ry}, {r.minX(), cy});
    cubic({r.minX(), cy - k * ry}, {cx - k * rx, r.minY()}, {cx, r.minY()});
    cubic({cx + k * rx, r.minY()}, {r.maxX(), cy - k * ry}, {r.maxX(), cy});
    close();
}

void Path::addRoundedRect(const Rect& r, double radius, bool continuous) {
    const double limit = std::min(r.width(), r.height()) / 2;
    radius = std::clamp(radius, 0.0, std::max(limit, 0.0));
    if (radius <= 0) {
        addRect(r);
        return;
    }
    // Circular corners are quarter circles (cubic approximation, k = 0.5523). Continuous
    // corners run 1.528 × radius along the sides with their control points nearer the corner,
    // so the curvature eases in from the straight sides instead of jumping; when that run does
    // not fit (a capsule), the corner blends back to a quarter circle.
    double a = radius, k = 0.5523;
    if (continuous) {
        const double full = std::clamp((limit - radius) / (0.528 * radius), 0.0, 1.0);
        a = std::max(std::min(1.528 * radius, limit), radius);
        k = 0.5523 + (0.82 - 0.5523) * full;
    }
    const double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    move({x0 + a, y0});
    line({x1 - a, y0});
    cubic({x1 - a + k * a, y0}, {x1, y0 + a - k * a}, {x1, y0 + a});
    line({x1, y1 - a});
    cubic({x1, y1 - a + k * a}, {x1 - a + k * a, y1}, {x1 - a, y1});
    line({x0 + a, y1});
    cubic({x0 + a - k * a, y1}, {x0, y1 - a + k * a}, {x0, y1 - a});
    line({x0, y0 + a});
    cubic({x0, y0 + a - k * a}, {x0 + a - k * a, y0}, {x0 + a, y0});
    close();
}

void Path::addPath(const Path& other) {
    for (const auto& e : other.elements_) elements_.push_back(e);
    current_ = other.current_;
    subpathStart_ = other.subpathStart_;
    open_ = other.open_;
}

Rect Path::controlBounds() const {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    auto add = [&](Point p) {
        if (!any) {
            x0 = x1 = p.x;
            y0 = y1 = p.y;
            any = true;
            return;
        }
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    };
    for (const auto& e : elements_) {
        switch (e.verb) {
            case Verb::move:
            case Verb::line: add(e.p[0]); break;
            case Verb::quad: add(e.p[0]), add(e.p[1]); break;
            case Verb::cubic: add(e.p[0]), add(e.p[1]), add(e.p[2]); break;
            case Verb::close: break;
        }
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

Path Path::transformed(const Transform& t) const {
    Path out;
    for (const auto& e : elements_) {
        switch (e.verb) {
            case Verb::move: out.move(t.map(e.p[0])); break;
            case Verb::line: out.line(t.map(e.p[0])); break;
            case Verb::quad: out.quad(t.map(e.p[0]), t.map(e.p[1])); break;
            case Verb::cubic: out.cubic(t.map(e.p[0]), t.map(e.p[1]), t.map(e.p[2])); break;
            case Verb::close: out.close(); break;
        }
    }
    return out;
}

bool Path::contains(Point p) const {
    if (elements_.empty()) return false;
    const Rect b = controlBounds();
    if (p.x < b.minX() || p.x > b.maxX() || p.y < b.minY() || p.y > b.maxY()) return false;
    // The winding number of the outline flattened as `flattened(0.25)` makes it. A curve whose
    // control points all lie on one side of the point, or above or below it, winds around it as
    // its chord does: only the others are flattened.
    int winding = 0;
    anyEdge(
        elements_, 0.25,
        [&](const std::array<double, 4>& h) { return p.x >= h[0] && p.y >= h[1] && p.x <= h[2] && p.y <= h[3]; },
        [&](Point a, Point c) {
            const double cross = (c.x - a.x) * (p.y - a.y) - (p.x - a.x) * (c.y - a.y);
            if (a.y <= p.y) {
                if (c.y > p.y && cross > 0) ++winding;
            } else if (c.y <= p.y && cross < 0) {
                --winding;
            }
            return false;
        });
    return winding != 0;
}

bool Path::encloses(const Rect& r) const {
    if (elements_.empty()) return false;
    // A curve's flattened pieces stray from it by less than this.
    constexpr double tolerance = 0.25;
    const Rect near = r.insetBy(-tolerance, -tolerance);
    auto meets = [&](const std::array<double, 4>& box) {
        return box[0] <= near.maxX() && near.minX() <= box[2] && box[1] <= near.maxY() && near.minY() <= box[3];
    };
    // A piece coming into it, the curves near it looked at closely (their chords lie within
    // their control points' box, away from it, for the others). A piece whose box meets it
    // comes into it unless all of its corners lie on one side of the piece's line: a chord
    // passing a corner of it diagonally, as a round end's do, stays out.
    const Point corners[] = {{near.minX(), near.minY()},
                             {near.maxX(), near.minY()},
                             {near.minX(), near.maxY()},
                             {near.maxX(), near.maxY()}};
    const bool crossed = anyEdge(elements_, tolerance, meets, [&](Point a, Point b) {
        if (!meets({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}))
            return false;
        int above = 0, below = 0;
        for (const Point c : corners) {
            const double side = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            above += side > 0;
            below += side < 0;
        }
        return above < 4 && below < 4;
    });
    // No piece comes into it: it lies wholly inside or wholly outside.
    return !crossed && contains({r.midX(), r.midY()});
}

std::vector<std::vector<Point>> Path::flattened(double tolerance) const {
    std::vector<std::vector<Point>> out;
    Point cur, start;
    for (const auto& e : elements_) {
        switch (e.verb) {
            case Verb::move:
                out.push_back({e.p[0]});
                cur = start = e.p[0];
                break;
            case Verb::line:
                if (out.empty()) out.push_back({cur});
                out.back().push_back(e.p[0]);
                cur = e.p[0];
                break;
            case Verb::quad:
            case Verb::cubic:
                if (out.empty()) out.push_back({cur});
                flattenCurve(e, cur, tolerance, [&](Point next) { out.back().push_back(next); });
                cur = e.p[e.verb == Verb::quad ? 1 : 2];
                break;
            case Verb::close:
                if (!out.empty() && !(out.back().back() == start)) out.back().push_back(start);
                cur = start;
                break;
        }
    }
    return out;
}

Path Path::trimmed(double from, double to) const {
    from = std::clamp(from, 0.0, 1.0);
    to = std::clamp(to, 0.0, 1.0);
    Path out;
    if (to <= from) return out;
    if (from == 0 && to == 1) return *this;
    const auto polys = flattened(0.05);
    double total = 0;
    for (const auto& poly : polys)
        for (std::size_t i = 1; i < poly.size(); ++i) total += distance(poly[i - 1], poly[i]);
    if (total <= 0) return out;
    const double a = from * total, b = to * total;
    double walked = 0;
    for (const auto& poly : polys) {
        bool drawing = false;
        for (std::size_t i = 1; i < poly.size(); ++i) {
            const double len = distance(poly[i - 1], poly[i]);
            const double s = walked, e = walked + len;
            walked = e;
            if (e < a || s > b || len <= 0) continue;
            const Point p0 = lerp(poly[i - 1], poly[i], std::max(0.0, (a - s) / len));
            const Point p1 = lerp(poly[i - 1], poly[i], std::min(1.0, (b - s) / len));
            if (!drawing) {
                out.move(p0);
                drawing = true;
            }
            out.line(p1);
        }
    }
    return out;
}

std::optional<RoundedBox> roundedBoxOf(const Path& path) {
    using V = Path::Verb;
    static constexpr V verbs[] = {V::move, V::line,  V::cubic, V::line,  V::cubic,
                                  V::line, V::cubic, V::line,  V::cubic, V::close};
    const auto& e = path.elements();
    if (e.size() != std::size(verbs)) return std::nullopt;
    for (std::size_t i = 0; i < e.size(); ++i)
        if (e[i].verb != verbs[i]) return std::nullopt;
    const RoundedBox box{e[6].p[2].x, e[0].p[0].y, e[2].p[2].x, e[4].p[2].y, e[2].p[2].y - e[0].p[0].y};
    if (!(box.x1 > box.x0 && box.y1 > box.y0 && box.radius > 0)) return std::nullopt;
    // Every point where a rounded rectangle of those bounds and radius puts it.
    Path same;
    same.addRoundedRect({box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0}, box.radius, false);
    const auto& f = same.elements();
    if (f.size() != e.size()) return std::nullopt;
    auto near = [](Point a, Point b) { return std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6; };
    for (std::size_t i = 0; i < e.size(); ++i) {
        const int points = e[i].verb == V::cubic ? 3 : e[i].verb == V::close ? 0 : 1;
        for (int k = 0; k < points; ++k)
            if (!near(e[i].p[k], f[i].p[k])) return std::nullopt;
    }
    return box;
}

}  // namespace quorlix::ui
