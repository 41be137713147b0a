#include "ui/transform.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

Transform Transform::translation(double dx, double dy) {
    Transform t;
    t.m31 = dx;
    t.m32 = dy;
    return t;
}

Transform Transform::scale(double sx, double sy) {
    Transform t;
    t.m11 = sx;
    t.m22 = sy;
    return t;
}

Transform Transform::rotation(Angle a) {
    const double c = std::cos(a.radians), s = std::sin(a.radians);
    Transform t;
    // y-down coordinates: a positive angle turns clockwise on screen.
    t.m11 = c;
    t.m12 = s;
    t.m21 = -s;
    t.m22 = c;
    return t;
}

Transform Transform::rotation3D(Angle a, double kx, double ky, double kz, double perspective, double depth) {
    const double n = std::sqrt(kx * kx + ky * ky + kz * kz);
    if (n == 0) return {};
    kx /= n, ky /= n, kz /= n;
    const double c = std::cos(a.radians), s = std::sin(a.radians), v = 1 - c;
    // Rodrigues' rotation of points (x, y, 0), then the perspective divide by w = 1 - p·z'/depth.
    const double r00 = c + kx * kx * v, r01 = kx * ky * v - kz * s;
    const double r10 = ky * kx * v + kz * s, r11 = c + ky * ky * v;
    const double r20 = kz * kx * v - ky * s, r21 = kz * ky * v + kx * s;
    const double k = depth > 0 ? perspective / depth : 0;
    Transform t;
    t.m11 = r00;
    t.m12 = r10;
    t.m13 = -k * r20;
    t.m21 = r01;
    t.m22 = r11;
    t.m23 = -k * r21;
    return t;
}

Transform Transform::then(const Transform& n) const {
    Transform r;
    r.m11 = m11 * n.m11 + m12 * n.m21 + m13 * n.m31;
    r.m12 = m11 * n.m12 + m12 * n.m22 + m13 * n.m32;
    r.m13 = m11 * n.m13 + m12 * n.m23 + m13 * n.m33;
    r.m21 = m21 * n.m11 + m22 * n.m21 + m23 * n.m31;
    r.m22 = m21 * n.m12 + m22 * n.m22 + m23 * n.m32;
    r.m23 = m21 * n.m13 + m22 * n.m23 + m23 * n.m33;
    r.m31 = m31 * n.m11 + m32 * n.m21 + m33 * n.m31;
    r.m32 = m31 * n.m12 + m32 * n.m22 + m33 * n.m32;
    r.m33 = m31 * n.m13 + m32 * n.m23 + m33 * n.m33;
    return r;
}

Transform Transform::about(Point p) const {
    return translation(-p.x, -p.y).then(*this).then(translation(p.x, p.y));
}

Point Transform::map(Point p) const {
    const double x = m11 * p.x + m21 * p.y + m31;
    const double y = m12 * p.x + m22 * p.y + m32;
    const double w = m13 * p.x + m23 * p.y + m33;
    if (w == 1 || w == 0) return {x, y};
    return {x / w, y / w};
}

Rect Transform::mapBounds(const Rect& r) const {
    if (isTranslation()) return r.offsetBy(m31, m32);
    const Point corners[4] = {map(r.origin), map({r.maxX(), r.minY()}), map({r.minX(), r.maxY()}),
                              map({r.maxX(), r.maxY()})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const auto& c : corners) {
        x0 = std::min(x0, c.x);
        x1 = std::max(x1, c.x);
        y0 = std::min(y0, c.y);
        y1 = std::max(y1, c.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

std::optional<Transform> Transform::inverted() const {
    const double det = m11 * (m22 * m33 - m23 * m32) - m12 * (m21 * m33 - m23 * m31) + m13 * (m21 * m32 - m22 * m31);
    if (std::abs(det) < 1e-12) return std::nullopt;
    const double d = 1 / det;
    Transform r;
    r.m11 = (m22 * m33 - m23 * m32) * d;
    r.m12 = (m13 * m32 - m12 * m33) * d;
    r.m13 = (m12 * m23 - m13 * m22) * d;
    r.m21 = (m23 * m31 - m21 * m33) * d;
    r.m22 = (m11 * m33 - m13 * m31) * d;
    r.m23 = (m13 * m21 - m11 * m23) * d;
    r.m31 = (m21 * m32 - m22 * m31) * d;
    r.m32 = (m12 * m31 - m11 * m32) * d;
    r.m33 = (m11 * m22 - m12 * m21) * d;
    return r;
}

bool Transform::isIdentity() const { return *this == Transform{}; }

bool Transform::isTranslation() const {
    return m11 == 1 && m12 == 0 && m13 == 0 && m21 == 0 && m22 == 1 && m23 == 0 && m33 == 1;
}

}  // namespace quorlix::ui
