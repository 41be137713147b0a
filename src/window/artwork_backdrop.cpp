#include "window/artwork_backdrop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quorlix {

namespace {

// Pixels per standard deviation of the blur: enough for a smooth picture once stretched.
constexpr double pixelsPerSigma = 6;
// The blur's reach, in standard deviations.
constexpr double reach = 3;
// The widest backdrop made, pixels, whatever the screen.
constexpr int maxSide = 2048;

using Pixel = std::array<float, 4>;  // premultiplied red, green, blue, alpha, 0...1

// A picture of premultiplied pixels, rows from the top.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    Pixel& at(int x, int y) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
};

Pixel premultipliedAt(const platform::Image& image, int x, int y) {
    x = std::clamp(x, 0, image.width - 1);
    y = std::clamp(y, 0, image.height - 1);
    const std::uint8_t* p = image.pixels->data() + (static_cast<std::size_t>(y) * image.width + x) * 4;
    const float a = p[3] / 255.0f;
    return {p[0] / 255.0f * a, p[1] / 255.0f * a, p[2] / 255.0f * a, a};
}

// The picture at (u, v) in its own pixels (centres at half pixels), bilinearly.
Pixel sample(const platform::Image& image, double u, double v) {
    const double fx = u - 0.5, fy = v - 0.5;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const auto tx = static_cast<float>(fx - x0), ty = static_cast<float>(fy - y0);
    const Pixel a = premultipliedAt(image, x0, y0), b = premultipliedAt(image, x0 + 1, y0);
    const Pixel c = premultipliedAt(image, x0, y0 + 1), d = premultipliedAt(image, x0 + 1, y0 + 1);
    Pixel out;
    for (std::size_t k = 0; k < 4; ++k) {
        const float top = a[k] + (b[k] - a[k]) * tx;
        const float bottom = c[k] + (d[k] - c[k]) * tx;
        out[k] = top + (bottom - top) * ty;
    }
    return out;
}

std::vector<float> gaussianKernel(double sigma) {
    const int radius = static_cast<int>(std::ceil(reach * sigma));
    std::vector<float> weights(static_cast<std::size_t>(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        const double w = std::exp(-0.5 * i * i / (sigma * sigma));
        weights[static_cast<std::size_t>(i + radius)] = static_cast<float>(w);
        sum += w;
    }
    for (float& w : weights) w = static_cast<float>(w / sum);
    return weights;
}

// One pass of a separable blur along rows (`horizontal`) or columns; beyond the plane all
// is transparent.
void blurPass(Plane& plane, const std::vector<float>& kernel, bool horizontal) {
    const int radius = static_cast<int>(kernel.size() / 2);
    const int length = horizontal ? plane.width : plane.height;
    const int lines = horizontal ? plane.height : plane.width;
    std::vector<Pixel> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < length; ++i)
            line[static_cast<std::size_t>(i)] = horizontal ? plane.at(i, l) : plane.at(l, i);
        for (int i = 0; i < length; ++i) {
            Pixel sum{0, 0, 0, 0};
            const int from = std::max(i - radius, 0), to = std::min(i + radius, length - 1);
            for (int j = from; j <= to; ++j) {
                const float w = kernel[static_cast<std::size_t>(j - i + radius)];
                const Pixel& p = line[static_cast<std::size_t>(j)];
                for (std::size_t k = 0; k < 4; ++k) sum[k] += w * p[k];
            }
            (horizontal ? plane.at(i, l) : plane.at(l, i)) = sum;
        }
    }
}

// The luminance-keeping saturation matrix (as CSS `saturate()`), on premultiplied values,
// each channel kept within the alpha.
void saturate(Pixel& p, double s) {
    const double r = p[0], g = p[1], b = p[2];
    const double m[3][3] = {{0.213 + 0.787 * s, 0.715 - 0.715 * s, 0.072 - 0.072 * s},
                            {0.213 - 0.213 * s, 0.715 + 0.285 * s, 0.072 - 0.072 * s},
                            {0.213 - 0.213 * s, 0.715 - 0.715 * s, 0.072 + 0.928 * s}};
    for (std::size_t k = 0; k < 3; ++k)
        p[k] = static_cast<float>(
            std::clamp(m[k][0] * r + m[k][1] * g + m[k][2] * b, 0.0, static_cast<double>(p[3])));
}

std::uint8_t byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

std::optional<platform::Image> ArtworkBackdrop::make(const platform::Image& artwork, Size size) {
    if (artwork.isEmpty() || !(size.width > 0 && size.height > 0) || !std::isfinite(size.width) ||
        !std::isfinite(size.height))
        return std::nullopt;
    // The backdrop's pixels: about `pixelsPerSigma` to the blur's deviation (half its radius).
    const double sigma = blurRadius / 2;
    const double pointsPerPixel = sigma / pixelsPerSigma;
    const int width = std::clamp(static_cast<int>(std::ceil(size.width / pointsPerPixel)), 1, maxSide);
    const int height = std::clamp(static_cast<int>(std::ceil(size.height / pointsPerPixel)), 1, maxSide);
    const double qx = size.width / width, qy = size.height / height;
    // A margin the blur reaches into, so the edges blur with what lies beyond them.
    const int mx = static_cast<int>(std::ceil(reach * sigma / qx)),
              my = static_cast<int>(std::ceil(reach * sigma / qy));

    // The artwork filling the size, enlarged about the centre.
    const double scale = std::max(size.width / artwork.width, size.height / artwork.height) * zoom;
    const double left = (size.width - artwork.width * scale) / 2,
                 top = (size.height - artwork.height * scale) / 2;
    Plane plane{width + 2 * mx, height + 2 * my, {}};
    plane.pixels.resize(static_cast<std::size_t>(plane.width) * static_cast<std::size_t>(plane.height));
    for (int y = 0; y < plane.height; ++y) {
        const double v = ((y - my + 0.5) * qy - top) / scale;
        for (int x = 0; x < plane.width; ++x) {
            const double u = ((x - mx + 0.5) * qx - left) / scale;
            const bool inside = u >= 0 && u < artwork.width && v >= 0 && v < artwork.height;
            plane.at(x, y) = inside ? sample(artwork, u, v) : Pixel{0, 0, 0, 0};
        }
    }
    blurPass(plane, gaussianKernel(sigma / qx), true);
    blurPass(plane, gaussianKernel(sigma / qy), false);

    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = my; y < my + height; ++y)
        for (int x = mx; x < mx + width; ++x) {
            Pixel p = plane.at(x, y);
            saturate(p, saturation);
            const double a = p[3];
            const double unmultiply = a > 0 ? 1 / a : 0;
            rgba.insert(rgba.end(),
                        {byte(p[0] * unmultiply), byte(p[1] * unmultiply), byte(p[2] * unmultiply), byte(a)});
        }
    return platform::Image::fromRGBA(width, height, std::move(rgba));
}

const std::optional<platform::Image>& ArtworkBackdrop::picture(const platform::Image& artwork, Size size) {
    const bool same = made_ > 0 && artwork.pixels == artwork_.pixels && artwork.width == artwork_.width &&
                      artwork.height == artwork_.height && size == size_;
    if (!same) {
        artwork_ = artwork;
        size_ = size;
        picture_ = make(artwork, size);
        ++made_;
    }
    return picture_;
}

}  // namespace quorlix
