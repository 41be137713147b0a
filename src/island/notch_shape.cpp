#include "island/notch_shape.h"

#include <algorithm>

namespace quorlix {

double NotchShape::effectiveBottomRadius(const Rect& r) const {
    const double t = topRadius;
    return std::max(0.0, std::min((r.width() - 2 * t) / 2, std::min(bottomRadius, r.height() - t)));
}

ui::Path NotchShape::path(const Rect& r) const {
    const double t = topRadius;
    const double b = effectiveBottomRadius(r);
    ui::Path p;
    p.move({r.minX(), r.minY()});
    p.quad({r.minX() + t, r.minY()}, {r.minX() + t, r.minY() + t});
    p.line({r.minX() + t, r.maxY() - b});
    p.quad({r.minX() + t, r.maxY()}, {r.minX() + t + b, r.maxY()});
    p.line({r.maxX() - t - b, r.maxY()});
    p.quad({r.maxX() - t, r.maxY()}, {r.maxX() - t, r.maxY() - b});
    p.line({r.maxX() - t, r.minY() + t});
    p.quad({r.maxX() - t, r.minY()}, {r.maxX(), r.minY()});
    p.close();
    return p;
}

}  // namespace quorlix
