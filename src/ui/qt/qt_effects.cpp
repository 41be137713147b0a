#include "ui/qt/qt_effects.h"

#include "ui/qt/qt_canvas.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorlix::ui::qt {

namespace {

// Box sizes whose three passes approximate a Gaussian of `sigma`.
std::array<int, 3> boxesFor(double sigma) {
    const double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int wl = static_cast<int>(std::floor(ideal));
    if (wl % 2 == 0) --wl;
    const int wu = wl + 2;
    const double mIdeal = (12 * sigma * sigma - 3.0 * wl * wl - 12.0 * wl - 9) / (-4.0 * wl - 4);
    const int m = static_cast<int>(std::lround(mIdeal));
    return {0 < m ? wl : wu, 1 < m ? wl : wu, 2 < m ? wl : wu};
}

// One box pass along rows, on premultiplied ARGB; transparent (or, `opaque`, repeated) edges.
void boxPassRows(QImage& image, int radius, bool opaque) {
    if (radius <= 0) return;
    const int w = image.width(), h = image.height(), window = 2 * radius + 1;
    std::vector<quint32> line(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        std::copy(row, row + w, line.begin());
        auto sample = [&](int i) -> quint32 {
            if (i < 0) return opaque ? line.front() : 0u;
            if (i >= w) return opaque ? line.back() : 0u;
            return line[static_cast<std::size_t>(i)];
        };
        int sum[4] = {0, 0, 0, 0};
        for (int i = -radius; i <= radius; ++i) {
            const quint32 p = sample(i);
            for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xff;
        }
        for (int x = 0; x < w; ++x) {
            quint32 out = 0;
            for (int c = 0; c < 4; ++c)
                out |= static_cast<quint32>((sum[c] + window / 2) / window) << (8 * c);
            row[x] = out;
            const quint32 add = sample(x + radius + 1), drop = sample(x - radius);
            for (int c = 0; c < 4; ++c)
                sum[c] +=
                    static_cast<int>((add >> (8 * c)) & 0xff) - static_cast<int>((drop >> (8 * c)) & 0xff);
        }
    }
}

// The same down the columns, walking rows so memory is read in order.
void boxPassColumns(QImage& image, int radius, bool opaque) {
    if (radius <= 0) return;
    const int w = image.width(), h = image.height(), window = 2 * radius + 1;
    std::vector<quint32> copy(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        std::copy(row, row + w, copy.begin() + static_cast<std::ptrdiff_t>(y) * w);
    }
    auto rowAt = [&](int y) -> const quint32* {
        if (y < 0) return opaque ? copy.data() : nullptr;
        if (y >= h) return opaque ? copy.data() + static_cast<std::ptrdiff_t>(h - 1) * w : nullptr;
        return copy.data() + static_cast<std::ptrdiff_t>(y) * w;
    };
    std::vector<int> sum(static_cast<std::size_t>(w) * 4, 0);
    for (int i = -radius; i <= radius; ++i) {
        if (const quint32* r = rowAt(i))
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c)
                    sum[static_cast<std::size_t>(x * 4 + c)] += (r[x] >> (8 * c)) & 0xff;
    }
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<quint32*>(image.scanLine(y));
        const quint32* add = rowAt(y + radius + 1);
        const quint32* drop = rowAt(y - radius);
        for (int x = 0; x < w; ++x) {
            int* s = &sum[static_cast<std::size_t>(x * 4)];
            quint32 v = 0;
            for (int c = 0; c < 4; ++c) v |= static_cast<quint32>((s[c] + window / 2) / window) << (8 * c);
            out[x] = v;
            for (int c = 0; c < 4; ++c) {
                if (add) s[c] += (add[x] >> (8 * c)) & 0xff;
                if (drop) s[c] -= (drop[x] >> (8 * c)) & 0xff;
            }
        }
    }
}

// Averages blocks of factor × factor pixels (a cheap, exact reduction before a wide blur).
QImage downsample(const QImage& image, int factor) {
    const int w = image.width() / factor, h = image.height() / factor;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const int area = factor * factor;
    for (int y = 0; y < h; ++y) {
        auto* dst = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < factor; ++dy) {
                const auto* src =
                    reinterpret_cast<const quint32*>(image.constScanLine(y * factor + dy)) + x * factor;
                for (int dx = 0; dx < factor; ++dx)
                    for (int c = 0; c < 4; ++c) sum[c] += (src[dx] >> (8 * c)) & 0xff;
            }
            quint32 v = 0;
            for (int c = 0; c < 4; ++c) v |= static_cast<quint32>(sum[c] / area) << (8 * c);
            dst[x] = v;
        }
    }
    return out;
}

// One box pass of `size` along `length` positions of `lines` lines side by side: the value of line
// k at position i is data[i * lines + k]; outside the line counts as zero. The lines are summed
// together, each in the order of a walk along it alone (so the result is that walk's).
void boxPass(float* data, int lines, int length, int size, std::vector<float>& sums,
             std::vector<float>& source) {
    const int r = (size - 1) / 2;
    const float scale = 1.0F / static_cast<float>(size);
    const auto n = static_cast<std::size_t>(lines);
    source.assign(data, data + n * static_cast<std::size_t>(length));
    sums.assign(n, 0.0F);
    auto position = [&](int i) { return source.data() + static_cast<std::size_t>(i) * n; };
    // The window of output i is positions i - r .. i + r; zeros beyond the ends change no sum.
    for (int i = 0; i < std::min(r, length); ++i) {
        const float* add = position(i);
        for (std::size_t k = 0; k < n; ++k) sums[k] += add[k];
    }
    for (int i = 0; i < length; ++i) {
        if (i + r < length) {
            const float* add = position(i + r);
            for (std::size_t k = 0; k < n; ++k) sums[k] += add[k];
        }
        float* out = data + static_cast<std::size_t>(i) * n;
        for (std::size_t k = 0; k < n; ++k) out[k] = sums[k] * scale;
        if (i - r >= 0) {
            const float* drop = position(i - r);
            for (std::size_t k = 0; k < n; ++k) sums[k] -= drop[k];
        }
    }
}

// `plane` of `w` × `h` values, row after row, as `h` × `w` (its columns as rows).
std::vector<float> transposed(const std::vector<float>& plane, int w, int h) {
    std::vector<float> out(plane.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[static_cast<std::size_t>(x) * static_cast<std::size_t>(h) + static_cast<std::size_t>(y)] =
                plane[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                      static_cast<std::size_t>(x)];
    return out;
}

// Whether a blur of `s` pixels changes anything (its boxes are all one pixel wide below about
// half a pixel).
bool blurs(double s) {
    if (s < 0.3) return false;
    const auto boxes = boxesFor(s);
    return std::any_of(boxes.begin(), boxes.end(), [](int b) { return b > 1; });
}

// Blurs a plane of coverage values (row by row, then column by column) with transparent edges.
void blurAlpha(std::vector<float>& alpha, int w, int h, double s) {
    if (!blurs(s) || w <= 0 || h <= 0) return;
    const auto boxes = boxesFor(s);
    std::vector<float> sums, source;
    // Along the rows: they stand side by side in the transposed plane.
    std::vector<float> across = transposed(alpha, w, h);
    for (int size : boxes)
        if (size > 1) boxPass(across.data(), h, w, size, sums, source);
    alpha = transposed(across, h, w);
    for (int size : boxes)
        if (size > 1) boxPass(alpha.data(), w, h, size, sums, source);
}

// How far a blur of `s` reaches, in the pixels it is made in.
int boxReach(double s) {
    int reach = 0;
    if (s >= 0.3)
        for (int size : boxesFor(s)) reach += (size - 1) / 2;
    return reach;
}

// The smallest rectangle of the first `width` × `height` pixels of `image` holding every
// pixel that is not fully transparent (empty when there is none).
QRect opaqueBounds(const QImage& image, int width, int height) {
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        quint32 any = 0;
        for (int x = 0; x < width; ++x) any |= row[x] & 0xff000000u;
        if (any == 0) continue;
        int first = 0;
        while ((row[first] >> 24) == 0) ++first;
        int last = width - 1;
        while ((row[last] >> 24) == 0) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top < 0) top = y;
        bottom = y;
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The part of `image` reduced by `factor` (within `bounds`, reduced pixels) that its content and
// `reach` around it cover: all that a blur of that reach can make other than clear. Empty when
// the image is clear.
QRect reachedArea(const QImage& image, int factor, int reach, const QRect& bounds) {
    const QRect ink = opaqueBounds(image, bounds.width() * factor, bounds.height() * factor);
    if (ink.isEmpty()) return {};
    return QRect(QPoint(ink.left() / factor, ink.top() / factor),
                 QPoint(ink.right() / factor, ink.bottom() / factor))
        .adjusted(-reach, -reach, reach, reach)
        .intersected(bounds);
}

// The alpha of `image` summed over blocks of `factor` × `factor` pixels, `w` × `h` blocks, a row of
// blocks after another; `ink` is set to the blocks that are not clear (empty when all are).
std::vector<int> blockSums(const QImage& image, int factor, int w, int h, QRect& ink) {
    std::vector<int> sums(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    // Each pixel column's alpha over a row of blocks first, then the columns of each block.
    const int width = w * factor;
    std::vector<int> columns(static_cast<std::size_t>(width));
    int left = w, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < h; ++y) {
        std::fill(columns.begin(), columns.end(), 0);
        for (int dy = 0; dy < factor; ++dy) {
            const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y * factor + dy));
            for (int x = 0; x < width; ++x)
                columns[static_cast<std::size_t>(x)] += static_cast<int>(src[x] >> 24);
        }
        int* row = sums.data() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x)
            for (int dx = 0; dx < factor; ++dx) row[x] += columns[static_cast<std::size_t>(x * factor + dx)];
        int first = 0;
        while (first < w && row[first] == 0) ++first;
        if (first == w) continue;
        int last = w - 1;
        while (row[last] == 0) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top < 0) top = y;
        bottom = y;
    }
    ink = top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    return sums;
}

// A colour that coverage values are painted in, as premultiplied pixels.
struct Tint {
    explicit Tint(const QColor& color)
        : alpha(static_cast<float>(color.alphaF()) * 255.0F),
          red(static_cast<float>(color.redF())),
          green(static_cast<float>(color.greenF())),
          blue(static_cast<float>(color.blueF())) {}
    // Coverage above 0 (clear below).
    quint32 pixel(float coverage) const {
        const float a = std::min(coverage, 1.0F) * alpha;
        auto ch = [a](float v) { return static_cast<quint32>(static_cast<int>(v * a + 0.5F)); };
        return (ch(1) << 24) | (ch(red) << 16) | (ch(green) << 8) | ch(blue);
    }
    float alpha, red, green, blue;
};

// Coverage values of `area` painted in `color` into `out`, as premultiplied pixels.
void colorize(const std::vector<float>& alpha, const QRect& area, const QColor& color, QImage& out) {
    const Tint tint(color);
    for (int y = 0; y < area.height(); ++y) {
        auto* dst = reinterpret_cast<quint32*>(out.scanLine(area.top() + y)) + area.left();
        const float* src = alpha.data() + static_cast<std::ptrdiff_t>(y) * area.width();
        for (int x = 0; x < area.width(); ++x)
            if (src[x] > 0) dst[x] = tint.pixel(src[x]);
    }
}

// The shadow of `area` of `image` where the blur leaves coverage as it is (a radius under a pixel):
// each of the 256 alpha values has one colour, worked out as `colorize` does (clear for none).
void colorizeAlpha(const QImage& image, const QRect& area, const QColor& color, QImage& out) {
    const Tint tint(color);
    std::array<quint32, 256> pixels{};
    for (int a = 1; a < 256; ++a)
        pixels[static_cast<std::size_t>(a)] = tint.pixel(static_cast<float>(a) / 255.0F);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y)) + area.left();
        auto* dst = reinterpret_cast<quint32*>(out.scanLine(y)) + area.left();
        for (int x = 0; x < area.width(); ++x) dst[x] = pixels[src[x] >> 24];
    }
}

// How many points an element of a path holds, its end point last.
int pointCount(Path::Verb verb) {
    switch (verb) {
        case Path::Verb::close: return 0;
        case Path::Verb::quad: return 2;
        case Path::Verb::cubic: return 3;
        case Path::Verb::move:
        case Path::Verb::line: return 1;
    }
    return 1;
}

// Where an element ends; a close ends at its subpath's `start`.
Point endOf(const Path::Element& e, Point start) {
    return e.verb == Path::Verb::close ? start : e.p[pointCount(e.verb) - 1];
}

// The widest open interval along one axis that the outline crosses only with straight lines
// across that axis (the sides of a rounded rectangle): stretching the outline there changes
// nothing but its length.
std::optional<std::pair<double, double>> straightRun(const Path& outline, bool alongX) {
    struct Segment {
        double lo, hi;  // extent along the axis
        bool straight;  // a line across the axis (all its points at one height)
    };
    std::vector<Segment> segments;
    std::vector<double> stops;
    auto along = [alongX](Point p) { return alongX ? p.x : p.y; };
    auto across = [alongX](Point p) { return alongX ? p.y : p.x; };
    Point current, start;
    for (const auto& e : outline.elements()) {
        std::vector<Point> points{current};
        switch (e.verb) {
            case Path::Verb::move:
                current = start = e.p[0];
                stops.push_back(along(current));
                continue;
            case Path::Verb::line: points.push_back(e.p[0]); break;
            case Path::Verb::quad: points.insert(points.end(), {e.p[0], e.p[1]}); break;
            case Path::Verb::cubic: points.insert(points.end(), {e.p[0], e.p[1], e.p[2]}); break;
            case Path::Verb::close: points.push_back(start); break;
        }
        Segment s{along(points.front()), along(points.front()), true};
        for (const Point& p : points) {
            s.lo = std::min(s.lo, along(p));
            s.hi = std::max(s.hi, along(p));
            s.straight = s.straight && across(p) == across(points.front());
            stops.push_back(along(p));
        }
        segments.push_back(s);
        current = points.back();
    }
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    std::optional<std::pair<double, double>> best;
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const double a = stops[i], b = stops[i + 1];
        if (best && b - a <= best->second - best->first) continue;
        const bool clear = std::all_of(segments.begin(), segments.end(), [&](const Segment& s) {
            return s.straight || s.hi <= a || s.lo >= b;
        });
        if (clear) best = {a, b};
    }
    return best;
}

// A rectangle (device pixels) inside an outline made of straight sides across its straight run
// along one axis: the band between the outline's straight sides there.
std::optional<QRect> innerRect(const Path& outline, bool alongX) {
    const auto run = straightRun(outline, alongX);
    if (!run) return std::nullopt;
    // The straight sides crossing the run stand at these heights (or columns).
    std::optional<double> low, high;
    Point current, start;
    for (const auto& e : outline.elements()) {
        if (e.verb == Path::Verb::move) {
            current = start = e.p[0];
            continue;
        }
        const Point end = endOf(e, start);
        const double a0 = alongX ? current.x : current.y, a1 = alongX ? end.x : end.y;
        if (e.verb == Path::Verb::line || e.verb == Path::Verb::close) {
            if (std::min(a0, a1) <= run->first && std::max(a0, a1) >= run->second) {
                const double across = alongX ? current.y : current.x;
                low = low ? std::min(*low, across) : across;
                high = high ? std::max(*high, across) : across;
            }
        }
        current = end;
    }
    if (!low || !high || *high - *low < 4) return std::nullopt;
    const QRect r = alongX ? QRectF(QPointF(run->first, *low), QPointF(run->second, *high)).toRect()
                           : QRectF(QPointF(*low, run->first), QPointF(*high, run->second)).toRect();
    const QRect inside = r.adjusted(2, 2, -2, -2);
    if (inside.isEmpty() || !liesInside(outline, Rect{inside.x() - 1.0, inside.y() - 1.0,
                                                      inside.width() + 2.0, inside.height() + 2.0}))
        return std::nullopt;
    return inside;
}

// `r` without `hole`: up to four rectangles, added to `out`.
void subtract(const QRect& r, const QRect& hole, std::vector<QRect>& out) {
    const QRect h = r.intersected(hole);
    if (h.isEmpty()) {
        out.push_back(r);
        return;
    }
    if (h.top() > r.top()) out.emplace_back(QPoint(r.left(), r.top()), QPoint(r.right(), h.top() - 1));
    if (h.bottom() < r.bottom())
        out.emplace_back(QPoint(r.left(), h.bottom() + 1), QPoint(r.right(), r.bottom()));
    if (h.left() > r.left()) out.emplace_back(QPoint(r.left(), h.top()), QPoint(h.left() - 1, h.bottom()));
    if (h.right() < r.right())
        out.emplace_back(QPoint(h.right() + 1, h.top()), QPoint(r.right(), h.bottom()));
}

// One axis of a nine-slice: a piece of the image drawn 1:1, the column (or row) at `split`
// stretched by `stretch` more pixels, and the rest 1:1.
struct Piece {
    int source, length, target, targetLength;
};
std::vector<Piece> pieces(int total, int split, int stretch, int at) {
    if (stretch <= 0) return {{0, total, at, total}};
    return {{0, split, at, split},
            {split, 1, at + split, stretch + 1},
            {split + 1, total - split - 1, at + split + stretch + 1, total - split - 1}};
}

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
    std::uint64_t z = h ^ (v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
std::uint64_t quantized(double v) { return static_cast<std::uint64_t>(std::llround(v * 1024)); }

}  // namespace

int reductionFor(double sigma, QSize size) {
    const int factor = sigma > 6 ? std::min(8, static_cast<int>(sigma / 3)) : 1;
    return factor > 1 && size.width() > 2 * factor && size.height() > 2 * factor ? factor : 1;
}

int blurReach(double sigma, int factor) {
    const double s = sigma / factor;
    int reduced = 0;
    if (s >= 0.3)
        for (int size : boxesFor(s)) reduced += (size - 1) / 2;
    return reduced * factor + 2 * factor + 1;
}

QImage blurredReduced(const QImage& image, double sigma, bool opaque, int factor) {
    const double s = sigma / factor;
    auto blur = [&](QImage& reduced) {
        if (s < 0.3) return;
        for (int size : boxesFor(s)) {
            boxPassRows(reduced, (size - 1) / 2, opaque);
            boxPassColumns(reduced, (size - 1) / 2, opaque);
        }
    };
    if (opaque) {
        QImage out = factor > 1 ? downsample(image, factor) : image.copy();
        blur(out);
        return out;
    }
    // With clear edges, only the content and as far as the blur reaches from it can be other
    // than clear (the passes sum whole numbers, so the part made is exactly the whole's).
    const int w = image.width() / factor, h = image.height() / factor;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QRect area = reachedArea(image, factor, boxReach(s), out.rect());
    if (area.isEmpty()) return out;
    const QImage content =
        image.copy(area.left() * factor, area.top() * factor, area.width() * factor, area.height() * factor);
    QImage part = factor > 1 ? downsample(content, factor) : content;
    blur(part);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area.topLeft(), part);
    return out;
}

QImage shadowOf(const QImage& image, double sigma, const QColor& color, int factor) {
    const int w = image.width() / factor, h = image.height() / factor, blocks = factor * factor;
    const double s = sigma / factor;
    if (factor == 1 && !blurs(s)) {
        // Coverage goes through as it is: every pixel is written from its alpha alone.
        QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
        colorizeAlpha(image, out.rect(), color, out);
        return out;
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    // Only what the content covers, and as far as the blur reaches from it, casts anything: the
    // shadow is made there alone (a text's layer is mostly clear).
    std::vector<int> sums;
    QRect area;
    if (factor == 1) {
        area = reachedArea(image, 1, boxReach(s), out.rect());
    } else {
        // The alpha summed over each block, read once: the blocks that are not clear give the area.
        sums = blockSums(image, factor, w, h, area);
        if (!area.isEmpty())
            area = area.adjusted(-boxReach(s), -boxReach(s), boxReach(s), boxReach(s)) & out.rect();
    }
    if (area.isEmpty()) return out;
    std::vector<float> alpha(static_cast<std::size_t>(area.width()) *
                             static_cast<std::size_t>(area.height()));
    for (int y = 0; y < area.height(); ++y) {
        float* dst = alpha.data() + static_cast<std::ptrdiff_t>(y) * area.width();
        if (factor > 1) {
            const int* row = sums.data() + static_cast<std::ptrdiff_t>(area.top() + y) * w + area.left();
            for (int x = 0; x < area.width(); ++x)
                dst[x] = static_cast<float>(row[x]) / static_cast<float>(blocks * 255);
            continue;
        }
        const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(area.top() + y)) + area.left();
        for (int x = 0; x < area.width(); ++x) dst[x] = static_cast<float>(src[x] >> 24) / 255.0F;
    }
    blurAlpha(alpha, area.width(), area.height(), s);
    colorize(alpha, area, color, out);
    return out;
}

namespace {

// Where an outline's shadow is drawn (device pixels): the outline's bounds grown by the
// margin, within reach of the limit. Nothing when nothing of it shows.
std::optional<QRect> shadowArea(const OutlineShadow& shadow) {
    const Rect b = shadow.outline.controlBounds();
    if (!std::isfinite(b.width()) || !std::isfinite(b.height())) return std::nullopt;
    QRect area = QRectF(b.x(), b.y(), b.width(), b.height())
                     .toAlignedRect()
                     .adjusted(-shadow.margin, -shadow.margin, shadow.margin, shadow.margin);
    const int factor = reductionFor(shadow.sigma, area.size());
    const int reach = blurReach(shadow.sigma, factor);
    // Beyond the limit nothing shows, but what lies within reach of it still shades it.
    area = area.intersected(
        shadow.limit.adjusted(-reach - factor, -reach - factor, reach + factor, reach + factor));
    if (area.isEmpty()) return std::nullopt;
    return area;
}

// An outline with its straight runs shortened to a stretch the blur cannot see across, by
// whole reduced pixels so the reduced grid stays where it was; drawn, the column (row) at
// `splitX` (`splitY`) of its shadow is stretched by `stretchX` (`stretchY`) pixels again.
struct ShortenedOutline {
    Path outline;
    int stretchX = 0, stretchY = 0, splitX = 0, splitY = 0;
};

ShortenedOutline shortened(const Path& outline, const QRect& area, double sigma, int factor) {
    ShortenedOutline out;
    const int minimumRun = 2 * blurReach(sigma, factor) + 4;
    const auto runX = straightRun(outline, true), runY = straightRun(outline, false);
    if (runX && runX->second - runX->first > minimumRun && runX->first >= area.left() &&
        runX->second <= area.right()) {
        out.stretchX =
            static_cast<int>(std::floor((runX->second - runX->first - minimumRun) / factor)) * factor;
        out.splitX = static_cast<int>(std::ceil(runX->first - area.left())) + minimumRun / 2;
    }
    if (runY && runY->second - runY->first > minimumRun && runY->first >= area.top() &&
        runY->second <= area.bottom()) {
        out.stretchY =
            static_cast<int>(std::floor((runY->second - runY->first - minimumRun) / factor)) * factor;
        out.splitY = static_cast<int>(std::ceil(runY->first - area.top())) + minimumRun / 2;
    }
    for (const auto& e : outline.elements()) {
        Path::Element moved = e;
        for (Point& p : moved.p) {
            if (out.stretchX > 0 && p.x >= runX->second) p.x -= out.stretchX;
            if (out.stretchY > 0 && p.y >= runY->second) p.y -= out.stretchY;
        }
        switch (moved.verb) {
            case Path::Verb::move: out.outline.move(moved.p[0]); break;
            case Path::Verb::line: out.outline.line(moved.p[0]); break;
            case Path::Verb::quad: out.outline.quad(moved.p[0], moved.p[1]); break;
            case Path::Verb::cubic: out.outline.cubic(moved.p[0], moved.p[1], moved.p[2]); break;
            case Path::Verb::close: out.outline.close(); break;
        }
    }
    return out;
}

// What a shadow of `size` is made of: the outline where it stands in `area`, its blur and
// colour, and the reduction it is blurred at.
std::uint64_t shadowKey(const Path& outline, const QRect& area, QSize size, const OutlineShadow& shadow,
                        int factor) {
    std::uint64_t key = 0x5ad0;
    for (const auto& e : outline.elements()) {
        key = mix(key, static_cast<std::uint64_t>(e.verb));
        for (int i = 0; i < pointCount(e.verb); ++i)
            key = mix(mix(key, quantized(e.p[i].x - area.left())), quantized(e.p[i].y - area.top()));
    }
    return mix(mix(mix(key, static_cast<std::uint64_t>(size.width()) << 32 |
                                static_cast<std::uint32_t>(size.height())),
                   quantized(shadow.sigma)),
               static_cast<std::uint64_t>(shadow.color.rgba64()) ^ static_cast<std::uint64_t>(factor) << 60);
}

// Rows drawn at once: Qt spreads a fill or an image more than a few dozen rows tall over its
// thread pool, and waking its threads costs more than it saves for the small parts drawn here.
constexpr int shadowBand = 64;

// The shadow of `outline` over `area`, `size` pixels: rasterised straight at the reduced size
// (coverage there is the block average), blurred there and scaled back up.
QImage renderedShadow(const Path& outline, const QRect& area, QSize size, const OutlineShadow& shadow,
                      int factor) {
    const int w = (size.width() + factor - 1) / factor, h = (size.height() + factor - 1) / factor;
    QImage coverage(w, h, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(
            QTransform::fromScale(1.0 / factor, 1.0 / factor).translate(-area.left(), -area.top()));
        p.fillPath(toQPainterPath(outline), Qt::white);
    }
    QImage small = shadowOf(coverage, shadow.sigma / factor, shadow.color, 1);
    if (factor == 1) return small;
    // The scaled picture covers every pixel and replaces it: nothing to clear first, nothing
    // to blend.
    QImage full(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&full);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // In bands of rows, as the pieces are drawn: a shadow that changes at every frame (an
    // outline in a spring) is made at every frame, and Qt would hand a taller scale to its pool.
    for (int top = 0; top < size.height(); top += shadowBand) {
        p.setClipRect(QRect(0, top, size.width(), std::min(shadowBand, size.height() - top)));
        p.drawImage(QRectF(0, 0, w * factor, h * factor), small);
    }
    return full;
}

// Whether `r` meets what is `painted` (all of it when empty).
bool meetsPainted(const std::vector<QRect>& painted, const QRect& r) {
    return painted.empty() ||
           std::any_of(painted.begin(), painted.end(), [&r](const QRect& p) { return p.intersects(r); });
}

// Draws `target` from `image` at `x`, `y` of the nine-slice, leaving out the parts `hidden` and
// those outside what is `painted`.
void drawPiece(QPainter& painter, const QImage& image, const Piece& x, const Piece& y, const QRect& target,
               const std::vector<QRect>& hidden, const std::vector<QRect>& painted) {
    if (x.length == 1 && y.length == 1) {
        // One pixel stretched: its colour.
        painter.fillRect(target, QColor::fromRgba(qUnpremultiply(image.pixel(x.source, y.source))));
        return;
    }
    std::vector<QRect> parts{target};
    for (const QRect& h : hidden) {
        std::vector<QRect> left;
        for (const QRect& r : parts) subtract(r, h, left);
        parts = std::move(left);
    }
    for (const QRect& r : parts) {
        // Bands short enough that the drawing stays on this thread.
        for (int top = r.top(); top <= r.bottom(); top += shadowBand) {
            const int rows = std::min(shadowBand, r.bottom() + 1 - top);
            const QRect band(r.left(), top, r.width(), rows);
            if (!meetsPainted(painted, band)) continue;
            const QRect source(x.length == 1 ? x.source : x.source + band.left() - x.target,
                               y.length == 1 ? y.source : y.source + band.top() - y.target,
                               x.length == 1 ? 1 : band.width(), y.length == 1 ? 1 : band.height());
            painter.drawImage(band, image, source);
        }
    }
}

// What drawing a shadow works out from its outline: where it is drawn, the outline shortened,
// the key of its image, and what the outline painted over it hides.
struct ShadowPlan {
    QRect area;
    int factor = 1;
    ShortenedOutline run;
    std::uint64_t key = 0;
    std::vector<QRect> hidden;
};

std::optional<ShadowPlan> planShadow(const OutlineShadow& shadow) {
    const auto area = shadowArea(shadow);
    if (!area) return std::nullopt;
    ShadowPlan plan;
    plan.area = *area;
    plan.factor = reductionFor(shadow.sigma, area->size());
    plan.run = shortened(shadow.outline, *area, shadow.sigma, plan.factor);
    const QSize size(area->width() - plan.run.stretchX, area->height() - plan.run.stretchY);
    plan.key = shadowKey(plan.run.outline, *area, size, shadow, plan.factor);
    // What an opaque outline painted over it hides needs no drawing: pieces wholly inside it
    // go, and the parts of the others inside its inner rectangles.
    if (shadow.covered)
        for (const bool alongX : {true, false})
            if (const auto inner = innerRect(*shadow.covered, alongX)) plan.hidden.push_back(*inner);
    return plan;
}

// The plans of the last shadows drawn, by owner (those without one share a plan), with what
// each was worked out from: an outline that stands still (an artwork's, repainted in part
// beside a label that changes) is not measured and shortened again at every frame. Main
// thread only, as all drawing.
const ShadowPlan* keptPlan(const OutlineShadow& shadow, std::uint64_t owner) {
    struct Kept {
        Path outline;
        std::optional<Path> covered;
        double sigma;
        QRgba64 color;
        int margin;
        QRect limit;
        std::optional<ShadowPlan> plan;
    };
    static std::unordered_map<std::uint64_t, Kept> kept;
    const auto found = kept.find(owner);
    if (found != kept.end()) {
        const Kept& k = found->second;
        if (k.outline == shadow.outline && k.covered == shadow.covered && k.sigma == shadow.sigma &&
            k.color == shadow.color.rgba64() && k.margin == shadow.margin && k.limit == shadow.limit)
            return k.plan ? &*k.plan : nullptr;
    }
    // Owners that went away leave their plans behind: a few hundred at most are kept.
    if (found == kept.end() && kept.size() >= 256) kept.clear();
    Kept& k = kept[owner];
    k = Kept{shadow.outline, shadow.covered, shadow.sigma,      shadow.color.rgba64(),
             shadow.margin,  shadow.limit,   planShadow(shadow)};
    return k.plan ? &*k.plan : nullptr;
}

// Draws the shadow `image`, made from the plan's shortened outline, over the plan's area,
// stretching its straight runs back.
void drawStretched(QPainter& painter, const QImage& image, const OutlineShadow& shadow,
                   const ShadowPlan& plan) {
    const QRect& area = plan.area;
    const ShortenedOutline& run = plan.run;
    const std::vector<QRect>& hidden = plan.hidden;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Piece& x : pieces(image.width(), run.splitX, run.stretchX, area.left()))
        for (const Piece& y : pieces(image.height(), run.splitY, run.stretchY, area.top())) {
            if (x.length <= 0 || y.length <= 0) continue;
            const QRect target(x.target, y.target, x.targetLength, y.targetLength);
            if (!meetsPainted(shadow.painted, target)) continue;
            if (shadow.covered &&
                liesInside(*shadow.covered, Rect{target.x() - 1.0, target.y() - 1.0, target.width() + 2.0,
                                                 target.height() + 2.0}))
                continue;
            drawPiece(painter, image, x, y, target, hidden, shadow.painted);
        }
    painter.restore();
}

}  // namespace

void drawOutlineShadow(QPainter& painter, const OutlineShadow& shadow, EffectCache& cache,
                       std::uint64_t owner) {
    if (shadow.color.alpha() == 0 || shadow.outline.isEmpty()) return;
    const ShadowPlan* plan = keptPlan(shadow, owner);
    if (!plan) return;

    const EffectResult* kept = cache.find(plan->key);
    EffectResult result;
    if (!kept) {
        const QSize size(plan->area.width() - plan->run.stretchX, plan->area.height() - plan->run.stretchY);
        result.content.image = renderedShadow(plan->run.outline, plan->area, size, shadow, plan->factor);
        // One too large to keep is drawn once.
        kept =
            result.bytes() > cache.byteLimit() ? &result : cache.insert(plan->key, owner, std::move(result));
    }
    drawStretched(painter, kept->content.image, shadow, *plan);
}

bool liesInside(const Path& outline, const Rect& a) { return outline.encloses(a); }

}  // namespace quorlix::ui::qt
