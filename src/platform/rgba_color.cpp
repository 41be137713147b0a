#include "platform/rgba_color.h"

#include <algorithm>
#include <cmath>

namespace quorlix::platform {

namespace {
double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }
}  // namespace

RGBAColor RGBAColor::fromHSB(double hue, double saturation, double brightness, double alpha) {
    const double s = unit(saturation);
    const double v = unit(brightness);
    double h = std::isfinite(hue) ? hue - std::floor(hue) : 0.0;  // wrap into 0..<1
    h *= 6;
    const int sector = static_cast<int>(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    const double a = unit(alpha);
    switch (sector) {
    case 0: return {v, t, p, a};
    case 1: return {q, v, p, a};
    case 2: return {p, v, t, a};
    case 3: return {p, q, v, a};
    case 4: return {t, p, v, a};
    default: return {v, p, q, a};
    }
}

RGBAColor::HSB RGBAColor::hsb() const {
    const double r = unit(red), g = unit(green), b = unit(blue);
    const double maxC = std::max({r, g, b});
    const double minC = std::min({r, g, b});
    const double delta = maxC - minC;
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
        if (h < 0) h += 1;
        out.hue = h;
    }
    return out;
}

}  // namespace quorlix::platform
