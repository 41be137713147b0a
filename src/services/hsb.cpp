#include "services/hsb.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {
double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }
}  // namespace

HSB HSB::of(const RGBA& c) {
    const double r = unit(c.red), g = unit(c.green), b = unit(c.blue);
    const double maxC = std::max({r, g, b});
    const double delta = maxC - std::min({r, g, b});
    HSB out;
    out.brightness = maxC;
    out.saturation = maxC > 0 ? delta / maxC : 0;
    if (delta > 0) {
        double h;
        if (maxC == r)
            h = (g - b) / delta;
        else if (maxC == g)
            h = 2 + (b - r) / delta;
        else
            h = 4 + (r - g) / delta;
        h /= 6;
        out.hue = h < 0 ? h + 1 : h;
    }
    return out;
}

RGBA HSB::color(double opacity) const {
    const double s = unit(saturation);
    const double v = unit(brightness);
    const double h = (std::isfinite(hue) ? hue - std::floor(hue) : 0.0) * 6;  // 0..<6
    const int sector = static_cast<int>(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    const double a = unit(opacity);
    switch (sector) {
        case 0: return {v, t, p, a};
        case 1: return {q, v, p, a};
        case 2: return {p, v, t, a};
        case 3: return {p, q, v, a};
        case 4: return {t, p, v, a};
        default: return {v, p, q, a};
    }
}

}  // namespace quorlix
