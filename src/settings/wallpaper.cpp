#include "settings/wallpaper.h"

#include "platform/atomic_file.h"
#include "platform/desktop_picture.h"
#include "platform/image_decoder.h"
#include "platform/platform.h"
#include "ui/ui.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

namespace quorlix {

namespace {

// The most of a picture file read; a thumbnail is decoded from it, never the full picture.
constexpr std::size_t maxPictureBytes = 64 * 1024 * 1024;
// Backdrops are blurred at twice their size in points: sharp enough on any screen.
constexpr double backdropScale = 2;

struct Loaded {
    bool done = false;
    std::optional<platform::Image> image;
};

Loaded& loaded() {
    static Loaded state;
    return state;
}

// Three box passes approximating a Gaussian of `sigma` (their widths, odd).
std::vector<int> boxesFor(double sigma) {
    const double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const double m =
        std::round((12 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9) / (-4.0 * lower - 4));
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i) sizes.push_back(i < m ? lower : upper);
    return sizes;
}

// One box pass along rows (`stride` 4) or columns (`stride` 4 × width), edges repeated.
void boxPass(std::vector<float>& px, int count, int length, int step, int lineStep, int radius) {
    std::vector<float> line(static_cast<std::size_t>(length) * 4);
    const float size = static_cast<float>(2 * radius + 1);
    for (int k = 0; k < count; ++k) {
        const std::size_t base = static_cast<std::size_t>(k) * static_cast<std::size_t>(lineStep);
        for (int i = 0; i < length; ++i)
            for (int c = 0; c < 4; ++c)
                line[static_cast<std::size_t>(i) * 4 + c] = px[base + static_cast<std::size_t>(i) * step + c];
        for (int c = 0; c < 4; ++c) {
            auto at = [&](int i) {
                return line[static_cast<std::size_t>(std::clamp(i, 0, length - 1)) * 4 + c];
            };
            float sum = 0;
            for (int i = -radius; i <= radius; ++i) sum += at(i);
            for (int i = 0; i < length; ++i) {
                px[base + static_cast<std::size_t>(i) * step + c] = sum / size;
                sum += at(i + radius + 1) - at(i - radius);
            }
        }
    }
}

// The picture behind a backdrop of one size, made once for it.
struct BlurredCache {
    int width = 0;
    int height = 0;
    double blur = -1;
    std::optional<platform::Image> image;
};

struct BackdropPicture {
    platform::Image picture;
    Size size;
    double blur = 0;

    ui::View body(ui::Context& ctx) const {
        using namespace ui;
        // Kept with the view, changed in place: making it must not ask for another render.
        const auto cache = ctx.state(std::make_shared<BlurredCache>());
        BlurredCache& c = *cache.get();
        const int w = std::max(1, static_cast<int>(std::ceil(size.width * backdropScale)));
        const int h = std::max(1, static_cast<int>(std::ceil(size.height * backdropScale)));
        if (!c.image || c.width != w || c.height != h || c.blur != blur) {
            c.image = coverBlurred(picture, w, h, blur / 2 * backdropScale);
            c.width = w;
            c.height = h;
            c.blur = blur;
        }
        return Image(*c.image).resizable().frame({.width = size.width, .height = size.height});
    }
};

}  // namespace

const std::optional<platform::Image>& Wallpaper::image() {
    Loaded& state = loaded();
    if (!state.done) {
        state.done = true;
        const platform::Platform& p = platform::installed();
        state.image = load(p.desktopPicture, p.imageDecoder);
    }
    return state.image;
}

void Wallpaper::resetShared() { loaded() = Loaded{}; }

void Wallpaper::setImage(std::optional<platform::Image> image) { loaded() = Loaded{true, std::move(image)}; }

std::optional<platform::Image> Wallpaper::load(platform::DesktopPicture* desktop,
                                               platform::ImageDecoder* decoder) {
    if (!desktop || !decoder) return std::nullopt;
    const auto path = desktop->picturePath();
    if (!path) return std::nullopt;
    const auto bytes = platform::readFile(*path, maxPictureBytes);
    if (!bytes || bytes->empty()) return std::nullopt;
    platform::ImageLimits limits;
    limits.maxBytes = maxPictureBytes;
    limits.thumbnailMaxSide = thumbnailSide;
    return decoder->decode(*bytes, limits);
}

platform::Image coverBlurred(const platform::Image& picture, int width, int height, double sigma) {
    std::vector<float> px(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    const auto& src = *picture.pixels;
    const double scale =
        std::max(static_cast<double>(width) / picture.width, static_cast<double>(height) / picture.height);
    const double ox = (picture.width - width / scale) / 2;
    const double oy = (picture.height - height / scale) / 2;
    auto sample = [&](int x, int y, int c) {
        x = std::clamp(x, 0, picture.width - 1);
        y = std::clamp(y, 0, picture.height - 1);
        return static_cast<float>(src[(static_cast<std::size_t>(y) * picture.width + x) * 4 + c]);
    };
    for (int y = 0; y < height; ++y) {
        const double sy = oy + (y + 0.5) / scale - 0.5;
        const int y0 = static_cast<int>(std::floor(sy));
        const float fy = static_cast<float>(sy - y0);
        for (int x = 0; x < width; ++x) {
            const double sx = ox + (x + 0.5) / scale - 0.5;
            const int x0 = static_cast<int>(std::floor(sx));
            const float fx = static_cast<float>(sx - x0);
            for (int c = 0; c < 4; ++c) {
                const float top = sample(x0, y0, c) * (1 - fx) + sample(x0 + 1, y0, c) * fx;
                const float bottom = sample(x0, y0 + 1, c) * (1 - fx) + sample(x0 + 1, y0 + 1, c) * fx;
                px[(static_cast<std::size_t>(y) * width + x) * 4 + c] = top * (1 - fy) + bottom * fy;
            }
        }
    }
    if (sigma >= 0.3) {
        for (int size : boxesFor(sigma)) {
            const int r = (size - 1) / 2;
            boxPass(px, height, width, 4, width * 4, r);
            boxPass(px, width, height, width * 4, 4, r);
        }
    }
    std::vector<std::uint8_t> out(px.size());
    for (std::size_t i = 0; i < px.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(px[i]), 0L, 255L));
    // Opaque: the picture covers the whole backdrop.
    for (std::size_t i = 3; i < out.size(); i += 4) out[i] = 255;
    return *platform::Image::fromRGBA(width, height, std::move(out));
}

ui::View WallpaperBackdrop::body(ui::Context&) const {
    using namespace ui;
    const auto& picture = Wallpaper::image();
    const View back = picture
                          ? View(GeometryReader([picture = *picture, blur = blur](const GeometryProxy& g) {
                                return View(BackdropPicture{picture, g.size(), blur});
                            }))
                          : View(LinearGradient({Color::sRGB(0.2, 0.3, 0.22), Color::sRGB(0.12, 0.14, 0.2)},
                                                UnitPoint::topLeading, UnitPoint::bottomTrailing));
    return ZStack({back, Color::black.opacity(dim)});
}

}  // namespace quorlix
