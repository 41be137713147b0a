#include "app/menu_bar_icon.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorlix {

namespace {

constexpr double barWidth = 2.2;
constexpr double cornerRadius = 1.1;
constexpr double barPitch = 3.7;
constexpr std::array<double, 5> barHeights{5.0, 9.5, 13.0, 9.5, 5.0};
// Samples per pixel along each axis, for the antialiased edges.
constexpr int samples = 8;

bool insideRoundedRect(const Rect& r, double radius, double x, double y) {
    if (!r.contains({x, y})) return false;
    // Distance into the corner square nearest the point, if the point lies in one.
    const double cx = std::clamp(x, r.minX() + radius, r.maxX() - radius);
    const double cy = std::clamp(y, r.minY() + radius, r.maxY() - radius);
    const double dx = x - cx;
    const double dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

}  // namespace

std::array<Rect, 5> MenuBarIcon::bars() {
    std::array<Rect, 5> out;
    const double midX = size.width / 2;
    const double midY = size.height / 2;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double h = barHeights[i];
        out[i] = Rect(midX - 8.5 + barPitch * static_cast<double>(i), midY - h / 2, barWidth, h);
    }
    return out;
}

platform::Image MenuBarIcon::draw(double scale) {
    const int width = static_cast<int>(std::lround(size.width * scale));
    const int height = static_cast<int>(std::lround(size.height * scale));
    const auto rects = bars();
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width * height) * 4, 0);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    // Rows run from the top; the drawing's origin is at the bottom.
                    const double x = (column + (sx + 0.5) / samples) / scale;
                    const double y = size.height - (row + (sy + 0.5) / samples) / scale;
                    for (const Rect& bar : rects) {
                        if (insideRoundedRect(bar, cornerRadius, x, y)) {
                            ++covered;
                            break;
                        }
                    }
                }
            }
            rgba[static_cast<std::size_t>(row * width + column) * 4 + 3] =
                static_cast<std::uint8_t>(std::lround(255.0 * covered / (samples * samples)));
        }
    }
    return *platform::Image::fromRGBA(width, height, std::move(rgba));
}

const platform::Image& MenuBarIcon::image() {
    static const platform::Image built = draw(2);
    return built;
}

}  // namespace quorlix
