#include "ui/qt/qt_pixels.h"

#include "platform/lru_cache.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorlix::ui::qt {

QImage ImagePool::take(QSize size, bool clear) {
    QImage image;
    for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->size() == size) {
            image = std::move(*it);
            free_.erase(it);
            break;
        }
    }
    if (image.isNull()) image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (clear) image.fill(Qt::transparent);
    return image;
}

void ImagePool::give(QImage image) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied) return;
    free_.push_back(std::move(image));
    // At most 12 images and 8 MB kept: the oldest go first.
    auto bytes = [this] {
        qsizetype total = 0;
        for (const QImage& i : free_) total += i.sizeInBytes();
        return total;
    };
    while (!free_.empty() && (free_.size() > 12 || bytes() > (8 << 20))) free_.erase(free_.begin());
}

ImagePool& scratchImages() {
    static auto* p = new ImagePool;  // main thread only, as all drawing
    return *p;
}

namespace {

// `pixel` (premultiplied) at `coverage` (0...1).
std::uint32_t covered(std::uint32_t pixel, double coverage) {
    const auto c = static_cast<std::uint32_t>(coverage * 256 + 0.5);
    return ((((pixel & 0x00ff00ffu) * c) >> 8) & 0x00ff00ffu) |
           ((((pixel >> 8) & 0x00ff00ffu) * c) & 0xff00ff00u);
}

}  // namespace

void rasterRoundedBox(QImage& into, QPoint origin, const RoundedBox& box, std::uint32_t pixel) {
    const double r = box.radius;
    auto overlap = [](double from, double a, double b) {
        return std::clamp(std::min(from + 1, b) - std::max(from, a), 0.0, 1.0);
    };
    // The columns whose pixels lie wholly between the corners' circles' centres.
    const int middleFrom = static_cast<int>(std::ceil(box.x0 + r)) - origin.x();
    const int middleTo = static_cast<int>(std::floor(box.x1 - r)) - origin.x();
    for (int y = 0; y < into.height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(into.scanLine(y));
        const double top = origin.y() + y, centreY = top + 0.5;
        const double coverY = overlap(top, box.y0, box.y1);
        const bool corners = centreY < box.y0 + r || centreY > box.y1 - r;
        const double cornerY = centreY < box.y0 + r ? box.y0 + r : box.y1 - r;
        const int from = std::clamp(middleFrom, 0, into.width()),
                  to = std::clamp(middleTo, from, into.width());
        std::fill(line + from, line + to, covered(pixel, coverY));
        auto edge = [&](int x) {
            const double left = origin.x() + x, centreX = left + 0.5;
            double coverage = overlap(left, box.x0, box.x1) * coverY;
            if (corners && (centreX < box.x0 + r || centreX > box.x1 - r)) {
                const double cornerX = centreX < box.x0 + r ? box.x0 + r : box.x1 - r;
                const double dx = centreX - cornerX, dy = centreY - cornerY;
                const double d = std::sqrt(dx * dx + dy * dy);  // hypot is careful, and slow
                coverage = std::min(coverage, std::clamp(r - d + 0.5, 0.0, 1.0));
            }
            line[x] = covered(pixel, coverage);
        };
        for (int x = 0; x < from; ++x) edge(x);
        for (int x = to; x < into.width(); ++x) edge(x);
    }
}

// Pictures come as straight RGBA bytes; painting wants premultiplied pixels. The converted
// copies of recent pictures are kept (up to 16 MB), keyed by their shared pixels.
QImage premultiplied(const platform::Image& picture) {
    struct Converted {
        std::weak_ptr<const std::vector<std::uint8_t>> pixels;
        QImage image;
    };
    static auto* kept = new LruCache<const void*, Converted>(  // main thread only
        16u << 20,
        [](const void*, const Converted& c) { return static_cast<std::size_t>(c.image.sizeInBytes()); });
    // Pixels gone may come back at the same address holding another picture.
    if (const Converted* found = kept->find(picture.pixels.get());
        found && found->pixels.lock() == picture.pixels)
        return found->image;
    const QImage straight(picture.pixels->data(), picture.width, picture.height,
                          static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGBA8888);
    return kept
        ->insert(picture.pixels.get(),
                 {picture.pixels, straight.convertToFormat(QImage::Format_ARGB32_Premultiplied)})
        .image;
}

void saturate(QImage& image, double s) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The luminance-preserving colour matrix of CSS `saturate()`, on premultiplied values.
    const double m[3][3] = {{0.213 + 0.787 * s, 0.715 - 0.715 * s, 0.072 - 0.072 * s},
                            {0.213 - 0.213 * s, 0.715 + 0.285 * s, 0.072 - 0.072 * s},
                            {0.213 - 0.213 * s, 0.715 - 0.715 * s, 0.072 + 0.928 * s}};
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 p = row[x];
            const double a = (p >> 24) & 0xff, r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            auto ch = [&](int i) {
                return static_cast<quint32>(std::clamp(std::lround(m[i][0] * r + m[i][1] * g + m[i][2] * b),
                                                       0L, static_cast<long>(a)));
            };
            row[x] = (static_cast<quint32>(a) << 24) | (ch(0) << 16) | (ch(1) << 8) | ch(2);
        }
    }
}

}  // namespace quorlix::ui::qt
