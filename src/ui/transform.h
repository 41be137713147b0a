#pragma once
// A projective 2D transform (3×3 matrix), enough for translations, scales, rotations and the
// perspective of a rotation about the vertical axis. Points are row vectors, as in Qt:
//     x' = (m11 x + m21 y + m31) / w,  y' = (m12 x + m22 y + m32) / w,  w = m13 x + m23 y + m33.
// `a.then(b)` applies `a` first, then `b`.

#include "ui/types.h"

namespace quorlix::ui {

struct Transform {
    double m11 = 1, m12 = 0, m13 = 0;
    double m21 = 0, m22 = 1, m23 = 0;
    double m31 = 0, m32 = 0, m33 = 1;

    static Transform identity() { return {}; }
    static Transform translation(double dx, double dy);
    static Transform scale(double sx, double sy);
    static Transform rotation(Angle a);
    // Rotation in space about the axis (x, y, z) through the origin (x right, y down, z towards
    // the viewer), projected with a perspective whose strength is `perspective` / `depth`
    // (depth: the larger side of the rotated view). A positive turn about the vertical axis
    // moves the trailing side away.
    static Transform rotation3D(Angle a, double x, double y, double z, double perspective, double depth);

    Transform then(const Transform& next) const;
    // The same transform performed about `p` instead of the origin.
    Transform about(Point p) const;
    Point map(Point p) const;
    Rect mapBounds(const Rect& r) const;
    std::optional<Transform> inverted() const;

    bool isIdentity() const;
    bool isTranslation() const;
    bool isAffine() const { return m13 == 0 && m23 == 0 && m33 == 1; }
    friend bool operator==(const Transform&, const Transform&) = default;
};

}  // namespace quorlix::ui
