#include "ui/qt/qt_canvas.h"

#include "ui/view_graph.h"

#include <QApplication>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorlix::ui::qt {

namespace {

QColor toQColor(const Color& c) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.r, 0.0, 1.0)), static_cast<float>(std::clamp(c.g, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.b, 0.0, 1.0)), static_cast<float>(std::clamp(c.a, 0.0, 1.0)));
}

QBrush toBrush(const Paint& paint) {
    if (paint.kind == Paint::Kind::solid || paint.stops.size() < 2) {
        return QBrush(toQColor(paint.kind == Paint::Kind::solid || paint.stops.empty() ? paint.color
                                                                                        : paint.stops.front().color));
    }
    QGradientStops stops;
    for (const auto& s : paint.stops) stops.append({std::clamp(s.location, 0.0, 1.0), toQColor(s.color)});
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (paint.kind == Paint::Kind::linear) {
        QLinearGradient g(QPointF(paint.start.x, paint.start.y), QPointF(paint.end.x, paint.end.y));
        g.setStops(stops);
        g.setSpread(QGradient::PadSpread);
        return QBrush(g);
    }
    const QPointF c(paint.start.x, paint.start.y);
    QRadialGradient g(c, std::max(paint.endRadius, 0.001), c, std::max(0.0, paint.startRadius));
    g.setStops(stops);
    return QBrush(g);
}

double transformScale(const QTransform& t) { return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21())); }

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
            for (int c = 0; c < 4; ++c) out |= static_cast<quint32>((sum[c] + window / 2) / window) << (8 * c);
            row[x] = out;
            const quint32 add = sample(x + radius + 1), drop = sample(x - radius);
            for (int c = 0; c < 4; ++c) sum[c] += static_cast<int>((add >> (8 * c)) & 0xff) - static_cast<int>((drop >> (8 * c)) & 0xff);
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
                for (int c = 0; c < 4; ++c) sum[static_cast<std::size_t>(x * 4 + c)] += (r[x] >> (8 * c)) & 0xff;
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

// A few images kept between layers and frames: allocating large images each frame costs more
// than drawing into them.
class ImagePool {
public:
    QImage take(QSize size) {
        for (auto it = free_.begin(); it != free_.end(); ++it) {
            if (it->size() == size) {
                QImage image = std::move(*it);
                free_.erase(it);
                image.fill(Qt::transparent);
                return image;
            }
        }
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }
    void give(QImage image) {
        if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied) return;
        free_.push_back(std::move(image));
        if (free_.size() > 12) free_.erase(free_.begin());
    }

private:
    std::vector<QImage> free_;
};

ImagePool& pool() {
    static auto* p = new ImagePool;  // main thread only, as all drawing
    return *p;
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
                const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y * factor + dy)) + x * factor;
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

int reductionFor(double sigma, QSize size) {
    const int factor = sigma > 6 ? std::min(8, static_cast<int>(sigma / 3)) : 1;
    return factor > 1 && size.width() > 2 * factor && size.height() > 2 * factor ? factor : 1;
}

// A blurred copy of `image`, reduced by `factor` (to be drawn scaled back up).
QImage blurredReduced(const QImage& image, double sigma, bool opaque, int& factor) {
    factor = reductionFor(sigma, image.size());
    QImage out = factor > 1 ? downsample(image, factor) : image.copy();
    const double s = sigma / factor;
    if (s >= 0.3) {
        for (int size : boxesFor(s)) {
            boxPassRows(out, (size - 1) / 2, opaque);
            boxPassColumns(out, (size - 1) / 2, opaque);
        }
    }
    return out;
}

// The shadow of `image`: its alpha, reduced by `factor`, blurred on one channel, then painted
// in `color`.
QImage shadowOf(const QImage& image, double sigma, const QColor& color, int& factor) {
    factor = reductionFor(sigma, image.size());
    const int w = image.width() / factor, h = image.height() / factor, area = factor * factor;
    std::vector<float> alpha(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y * factor + dy)) + x * factor;
                for (int dx = 0; dx < factor; ++dx) sum += src[dx] >> 24;
            }
            alpha[static_cast<std::size_t>(y * w + x)] = static_cast<float>(sum) / static_cast<float>(area * 255);
        }
    const double s = sigma / factor;
    if (s >= 0.3) {
        std::vector<float> line;
        auto pass = [&](int count, int length, auto index) {
            line.resize(static_cast<std::size_t>(length));
            for (int size : boxesFor(s)) {
                const int r = (size - 1) / 2;
                for (int k = 0; k < count; ++k) {
                    for (int i = 0; i < length; ++i) line[static_cast<std::size_t>(i)] = alpha[index(k, i)];
                    float sum = 0;
                    for (int i = -r; i <= r; ++i)
                        if (i >= 0 && i < length) sum += line[static_cast<std::size_t>(i)];
                    for (int i = 0; i < length; ++i) {
                        alpha[index(k, i)] = sum / static_cast<float>(size);
                        if (i + r + 1 < length) sum += line[static_cast<std::size_t>(i + r + 1)];
                        if (i - r >= 0) sum -= line[static_cast<std::size_t>(i - r)];
                    }
                }
            }
        };
        pass(h, w, [&](int row, int i) { return static_cast<std::size_t>(row * w + i); });
        pass(w, h, [&](int column, int i) { return static_cast<std::size_t>(i * w + column); });
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const double ca = color.alphaF();
    for (int y = 0; y < h; ++y) {
        auto* dst = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double a = std::clamp(static_cast<double>(alpha[static_cast<std::size_t>(y * w + x)]), 0.0, 1.0) * ca;
            auto ch = [a](double v) { return static_cast<quint32>(std::lround(v * a * 255)); };
            dst[x] = (ch(1) << 24) | (ch(color.redF()) << 16) | (ch(color.greenF()) << 8) | ch(color.blueF());
        }
    }
    return out;
}

// Pictures come as straight RGBA bytes; painting wants premultiplied pixels. The converted
// copies of the last few pictures are kept, keyed by their shared pixels.
QImage premultiplied(const platform::Image& picture) {
    struct Entry {
        std::weak_ptr<const std::vector<std::uint8_t>> pixels;
        QImage image;
    };
    static auto* cache = new std::vector<Entry>;
    for (const auto& e : *cache)
        if (!e.pixels.expired() && e.pixels.lock() == picture.pixels) return e.image;
    const QImage straight(picture.pixels->data(), picture.width, picture.height,
                          static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGBA8888);
    QImage converted = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::erase_if(*cache, [](const Entry& e) { return e.pixels.expired(); });
    if (cache->size() >= 8) cache->erase(cache->begin());
    cache->push_back({picture.pixels, converted});
    return converted;
}

}  // namespace

void gaussianBlur(QImage& image, double sigma, bool opaque) {
    if (sigma < 0.3 || image.isNull()) return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int factor = 1;
    QImage blurred = blurredReduced(image, sigma, opaque, factor);
    image = factor > 1 ? blurred.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : blurred;
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
                return static_cast<quint32>(std::clamp(std::lround(m[i][0] * r + m[i][1] * g + m[i][2] * b), 0L,
                                                       static_cast<long>(a)));
            };
            row[x] = (static_cast<quint32>(a) << 24) | (ch(0) << 16) | (ch(1) << 8) | ch(2);
        }
    }
}

QPainterPath toQPainterPath(const Path& path) {
    QPainterPath q;
    for (const auto& e : path.elements()) {
        switch (e.verb) {
            case Path::Verb::move: q.moveTo(e.p[0].x, e.p[0].y); break;
            case Path::Verb::line: q.lineTo(e.p[0].x, e.p[0].y); break;
            case Path::Verb::quad: q.quadTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y); break;
            case Path::Verb::cubic: q.cubicTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y); break;
            case Path::Verb::close: q.closeSubpath(); break;
        }
    }
    return q;
}

QTransform toQTransform(const Transform& t) { return QTransform(t.m11, t.m12, t.m13, t.m21, t.m22, t.m23, t.m31, t.m32, t.m33); }

QtCanvas::QtCanvas(QPainter& painter, QtFontEngine& fonts, double scale, QSize deviceSize)
    : root_(painter), fonts_(fonts), deviceSize_(deviceSize) {
    root_.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    root_.setWorldTransform(QTransform::fromScale(scale, scale));
}

QtCanvas::~QtCanvas() = default;

QPainter& QtCanvas::current() {
    if (layers_.empty()) return root_;
    Layer& l = *layers_.back();
    return l.maskPainter ? *l.maskPainter : *l.painter;
}

void QtCanvas::save() { current().save(); }
void QtCanvas::restore() { current().restore(); }

void QtCanvas::concat(const Transform& t) { current().setWorldTransform(toQTransform(t), true); }

void QtCanvas::multiplyOpacity(double opacity) {
    QPainter& p = current();
    p.setOpacity(p.opacity() * std::clamp(opacity, 0.0, 1.0));
}

void QtCanvas::clip(const Path& path) { current().setClipPath(toQPainterPath(path), Qt::IntersectClip); }

void QtCanvas::beginLayer(const LayerStyle& style, const Rect& bounds) {
    QPainter& parent = current();
    auto layer = std::make_unique<Layer>();
    layer->style = style;
    layer->base = parent.worldTransform();
    layer->scale = transformScale(layer->base);
    // The device area the content and its effects can reach.
    double margin = 0;
    if (style.blurRadius > 0) margin = 1.5 * style.blurRadius * layer->scale + 2;
    if (style.shadow) {
        const auto& s = *style.shadow;
        margin = std::max(margin, 1.5 * s.radius * layer->scale + (std::abs(s.x) + std::abs(s.y)) * layer->scale + 2);
    }
    QRectF device = layer->base.mapRect(QRectF(bounds.x(), bounds.y(), bounds.width(), bounds.height()));
    device.adjust(-margin - 1, -margin - 1, margin + 1, margin + 1);
    // The layer's pixels are in its parent's device space: the root's, or the enclosing layer's.
    const QSize parentSize = layers_.empty() ? deviceSize_ : layers_.back()->image.size();
    const QRect limit = QRect(QPoint(0, 0), parentSize).adjusted(-static_cast<int>(margin), -static_cast<int>(margin),
                                                                   static_cast<int>(margin), static_cast<int>(margin));
    QRect area = device.toAlignedRect().intersected(limit);
    if (area.isEmpty()) area = QRect(0, 0, 1, 1);
    layer->origin = area.topLeft();
    layer->image = pool().take(area.size());
    layer->painter = std::make_unique<QPainter>(&layer->image);
    layer->painter->setRenderHints(root_.renderHints());
    layer->painter->setWorldTransform(layer->base * QTransform::fromTranslate(-area.left(), -area.top()));
    layers_.push_back(std::move(layer));
}

void QtCanvas::beginMask() {
    if (layers_.empty()) return;
    Layer& l = *layers_.back();
    l.mask = pool().take(l.image.size());
    l.maskPainter = std::make_unique<QPainter>(&l.mask);
    l.maskPainter->setRenderHints(root_.renderHints());
    l.maskPainter->setWorldTransform(l.base * QTransform::fromTranslate(-l.origin.x(), -l.origin.y()));
}

void QtCanvas::endLayer() {
    if (layers_.empty()) return;
    std::unique_ptr<Layer> l = std::move(layers_.back());
    layers_.pop_back();
    l->maskPainter.reset();
    l->painter.reset();
    QImage& image = l->image;
    const LayerStyle& style = l->style;
    const QTransform local = l->base * QTransform::fromTranslate(-l->origin.x(), -l->origin.y());

    QPainter& parent = current();
    // Where the layer's pixels go in the parent's device space (its base transform is the
    // parent's, so its origin already is).
    const QPoint at = l->origin;
    parent.save();
    parent.setOpacity(parent.opacity() * std::clamp(style.opacity, 0.0, 1.0));

    const bool onlyClip = style.clip && !style.masked && !style.saturation && style.blurRadius <= 0 && !style.shadow;
    if (onlyClip && l->base.isInvertible()) {
        // One antialiased fill of the outline, textured with the layer's pixels.
        QBrush texture(image);
        texture.setTransform(QTransform::fromTranslate(at.x(), at.y()) * parent.worldTransform().inverted());
        parent.setPen(Qt::NoPen);
        parent.fillPath(toQPainterPath(*style.clip), texture);
        parent.restore();
        pool().give(std::move(l->image));
        pool().give(std::move(l->mask));
        return;
    }

    auto keepInside = [&](const QImage& mask) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    };
    if (style.clip) {
        QImage mask = pool().take(image.size());
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setWorldTransform(local);
        p.fillPath(toQPainterPath(*style.clip), Qt::white);
        p.end();
        keepInside(mask);
        pool().give(std::move(mask));
    }
    if (style.masked && !l->mask.isNull()) keepInside(l->mask);
    if (style.saturation) saturate(image, *style.saturation);

    parent.resetTransform();
    parent.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(at, image.size());
    if (style.shadow) {
        // The shadow: the layer's alpha in the shadow's colour, blurred and offset, beneath it.
        const ShadowEffect& s = *style.shadow;
        int factor = 1;
        const QImage shadow = shadowOf(image, s.radius / 2 * l->scale, toQColor(s.color), factor);
        const QTransform& b = l->base;
        const QPointF offset(b.m11() * s.x + b.m21() * s.y, b.m12() * s.x + b.m22() * s.y);
        parent.drawImage(QRectF(target.topLeft() + offset, QSizeF(shadow.size()) * factor), shadow);
    }
    if (style.blurRadius > 0) {
        int factor = 1;
        const QImage blurred = blurredReduced(image, style.blurRadius / 2 * l->scale, style.blurOpaque, factor);
        parent.drawImage(QRectF(target.topLeft(), QSizeF(blurred.size()) * factor), blurred);
    } else {
        parent.drawImage(target.topLeft(), image);
    }
    parent.restore();
    pool().give(std::move(l->image));
    pool().give(std::move(l->mask));
}

void QtCanvas::fill(const Path& path, const Paint& paint) { current().fillPath(toQPainterPath(path), toBrush(paint)); }

void QtCanvas::stroke(const Path& path, const Paint& paint, const StrokeStyle& style) {
    QPen pen(toBrush(paint), style.lineWidth);
    pen.setCapStyle(style.lineCap == LineCap::round    ? Qt::RoundCap
                    : style.lineCap == LineCap::square ? Qt::SquareCap
                                                       : Qt::FlatCap);
    pen.setJoinStyle(style.lineJoin == LineJoin::round   ? Qt::RoundJoin
                     : style.lineJoin == LineJoin::bevel ? Qt::BevelJoin
                                                         : Qt::SvgMiterJoin);
    pen.setMiterLimit(style.miterLimit);
    if (!style.dash.empty() && style.lineWidth > 0) {
        // Qt measures dashes in line widths.
        QList<qreal> pattern;
        for (double d : style.dash) pattern.append(std::max(d, 0.001) / style.lineWidth);
        if (pattern.size() % 2) pattern.append(pattern);
        pen.setDashPattern(pattern);
        pen.setDashOffset(style.dashPhase / style.lineWidth);
    }
    QPainter& p = current();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(toQPainterPath(path));
}

void QtCanvas::drawText(const TextRun& run, const Paint& paint) {
    if (run.text.empty()) return;
    QList<quint32> glyphs;
    std::vector<double> offsets;
    fonts_.shape(run.font, QString::fromStdString(run.text), glyphs, offsets);
    const QRawFont raw = fonts_.rawFont(run.font);
    QPainter& p = current();
    if (paint.kind == Paint::Kind::solid && run.embolden <= 0) {
        QList<QPointF> positions;
        for (double x : offsets) positions.append(QPointF(x, 0));
        QGlyphRun glyphRun;
        glyphRun.setRawFont(raw);
        glyphRun.setGlyphIndexes(glyphs);
        glyphRun.setPositions(positions);
        p.setPen(QPen(toQColor(paint.color)));
        p.drawGlyphRun(QPointF(run.origin.x, run.origin.y), glyphRun);
        return;
    }
    QPainterPath outline;
    for (qsizetype i = 0; i < glyphs.size(); ++i)
        outline.addPath(raw.pathForGlyph(glyphs[i]).translated(run.origin.x + offsets[static_cast<std::size_t>(i)],
                                                              run.origin.y));
    const QBrush brush = toBrush(paint);
    p.fillPath(outline, brush);
    if (run.embolden > 0) p.strokePath(outline, QPen(brush, run.embolden, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void QtCanvas::drawImage(const platform::Image& picture, const Rect& destination, int interpolation) {
    QPainter& p = current();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, interpolation > 0);
    p.drawImage(QRectF(destination.x(), destination.y(), destination.width(), destination.height()),
                premultiplied(picture));
    p.restore();
}

void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "quorlix";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    (void)app;
}

QImage renderImage(const View& view, Size size, double scale, const EnvironmentValues& environment) {
    ensureGuiApplication();
    ViewGraph graph(QtFontEngine::shared());
    return renderImage(graph.update(view, size, environment), size, scale);
}

QImage renderImage(const DisplayItem& list, Size size, double scale) {
    ensureGuiApplication();
    QImage image(std::max(1, static_cast<int>(std::ceil(size.width * scale))),
                 std::max(1, static_cast<int>(std::ceil(size.height * scale))), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QtCanvas canvas(painter, QtFontEngine::shared(), scale, image.size());
    list.draw(canvas);
    painter.end();
    return image;
}

}  // namespace quorlix::ui::qt
