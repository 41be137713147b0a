#include "ui/qt/qt_canvas.h"

#include "ui/qt/qt_effects.h"
#include "ui/qt/qt_pixels.h"
#include "ui/qt/qt_text_runs.h"
#include "ui/view_graph.h"

#include <QApplication>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <numeric>
#include <optional>

namespace quorlix::ui::qt {

QColor toQColor(const Color& c) {
    return QColor::fromRgbF(
        static_cast<float>(std::clamp(c.r, 0.0, 1.0)), static_cast<float>(std::clamp(c.g, 0.0, 1.0)),
        static_cast<float>(std::clamp(c.b, 0.0, 1.0)), static_cast<float>(std::clamp(c.a, 0.0, 1.0)));
}

QBrush toBrush(const Paint& paint) {
    if (paint.kind == Paint::Kind::solid || paint.stops.size() < 2) {
        return QBrush(toQColor(paint.kind == Paint::Kind::solid || paint.stops.empty()
                                   ? paint.color
                                   : paint.stops.front().color));
    }
    QGradientStops stops;
    for (const auto& s : paint.stops) stops.append({std::clamp(s.location, 0.0, 1.0), toQColor(s.color)});
    std::stable_sort(stops.begin(), stops.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
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

namespace {

double transformScale(const QTransform& t) {
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

// The reductions a layer's shadow and blur are made at, for a layer of `size` device pixels.
struct Reductions {
    int shadow = 1;
    int blur = 1;
};

Reductions reductionsFor(const LayerStyle& style, double scale, QSize size) {
    return {style.shadow ? reductionFor(style.shadow->radius / 2 * scale, size) : 1,
            reductionFor(style.blurRadius / 2 * scale, size)};
}

// How far (device pixels) a layer's blur and shadow reach from its content (with `made`: at
// least as far as the blur's kernel, made at those reductions, goes, for a blur made of only
// part of the content).
int effectMargin(const LayerStyle& style, double scale, std::optional<Reductions> made = std::nullopt) {
    auto reach = [&](double radius, int factor) {
        int r = static_cast<int>(std::ceil(1.5 * radius * scale));
        if (made) r = std::max(r, blurReach(radius / 2 * scale, factor));
        return r;
    };
    int margin = 0;
    if (style.blurRadius > 0) margin = reach(style.blurRadius, made ? made->blur : 1) + 3;
    if (style.shadow) {
        const auto& s = *style.shadow;
        margin =
            std::max(margin, reach(s.radius, made ? made->shadow : 1) +
                                 static_cast<int>(std::ceil((std::abs(s.x) + std::abs(s.y)) * scale)) + 3);
    }
    return margin;
}

// The part of `whole` within `cut`, grown to whole blocks of `grid` pixels counted from the
// corner of `whole`: a blur made at a reduction averages such blocks, so a part made of whole
// blocks is a piece of the blur made of all of it.
QRect alignedPart(const QRect& whole, const QRect& cut, int grid) {
    const QRect part = whole.intersected(cut);
    if (grid <= 1 || part.isEmpty()) return part;
    auto down = [grid](int v, int from) { return from + (v - from) / grid * grid; };
    auto up = [grid](int v, int from) { return from + (v - from + grid - 1) / grid * grid; };
    const int left = down(part.left(), whole.left()), top = down(part.top(), whole.top());
    const int right = std::min(up(part.right() + 1, whole.left()), whole.right() + 1);
    const int bottom = std::min(up(part.bottom() + 1, whole.top()), whole.bottom() + 1);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// `area` (device pixels) cut to the painter's device and clip.
QRect withinClip(const QPainter& p, QRect area) {
    area &= QRect(0, 0, p.device()->width(), p.device()->height());
    if (p.hasClipping()) area &= p.worldTransform().mapRect(p.clipBoundingRect()).toAlignedRect();
    return area;
}

// Qt spreads a fill or an image more than a few dozen rows tall over its thread pool, and
// waking its threads costs more than it saves for the small parts a frame repaints: `draw` is
// run once per band of `band` rows of `device` (the painter's device pixels), clipped to the band,
// which gives the same pixels. Only for a part repainted (`partial`): a whole repaint keeps
// Qt's own way.
template <class Draw>
void inBands(QPainter& p, bool partial, QRect device, Draw draw, int band = 64) {
    if (partial) device = withinClip(p, device);  // only the rows that can change
    if (!partial || device.height() <= band) {
        draw();
        return;
    }
    const QTransform world = p.worldTransform();
    for (int top = device.top(); top <= device.bottom(); top += band) {
        p.save();
        p.resetTransform();
        p.setClipRect(QRect(device.left(), top, device.width(), std::min(band, device.bottom() + 1 - top)),
                      Qt::IntersectClip);
        p.setTransform(world);
        draw();
        p.restore();
    }
}

// The device pixels `r` (in the painter's coordinates) covers, antialiased edges included.
QRect deviceArea(const QPainter& p, const QRectF& r) {
    return p.worldTransform().mapRect(r).toAlignedRect().adjusted(-1, -1, 1, 1);
}

}  // namespace

QPainterPath toQPainterPath(const Path& path) {
    QPainterPath q;
    for (const auto& e : path.elements()) {
        switch (e.verb) {
            case Path::Verb::move: q.moveTo(e.p[0].x, e.p[0].y); break;
            case Path::Verb::line: q.lineTo(e.p[0].x, e.p[0].y); break;
            case Path::Verb::quad: q.quadTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y); break;
            case Path::Verb::cubic:
                q.cubicTo(e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
                break;
            case Path::Verb::close: q.closeSubpath(); break;
        }
    }
    return q;
}

QTransform toQTransform(const Transform& t) {
    return QTransform(t.m11, t.m12, t.m13, t.m21, t.m22, t.m23, t.m31, t.m32, t.m33);
}

QtCanvas::QtCanvas(QPainter& painter, QtFontEngine& fonts, double scale, QSize deviceSize)
    : root_(painter),
      fonts_(fonts),
      deviceSize_(deviceSize),
      scale_(scale),
      visible_(QPoint(0, 0), deviceSize) {
    root_.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
    root_.setWorldTransform(QTransform::fromScale(scale, scale));
}

QtCanvas::~QtCanvas() = default;

void QtCanvas::setOrigin(Point origin) {
    origin_ = origin;
    root_.setWorldTransform(QTransform::fromTranslate(-origin.x, -origin.y) *
                            QTransform::fromScale(scale_, scale_));
}

void QtCanvas::setVisibleArea(const QRegion& area) {
    const QRegion inside = area.intersected(QRect(QPoint(0, 0), deviceSize_));
    visible_ = inside.boundingRect();
    visibleRects_.assign(inside.begin(), inside.end());
    partial_ = visible_ != QRect(QPoint(0, 0), deviceSize_) || visibleRects_.size() > 1;
}

std::optional<Region> QtCanvas::visibleRegion() const {
    if (!partial_) return std::nullopt;
    Region region;
    for (const QRect& r : visibleRects_)
        region.add(Rect{r.x() / scale_ + origin_.x, r.y() / scale_ + origin_.y, r.width() / scale_,
                        r.height() / scale_});
    return region;
}

QPainter& QtCanvas::current() {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        Layer& l = **it;
        if (l.maskPainter) return *l.maskPainter;
        if (l.painter) return *l.painter;
    }
    return root_;
}

QPoint QtCanvas::currentOrigin() const {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if ((*it)->painter) return (*it)->rootOrigin;
    return {0, 0};
}

const std::vector<QRect>& QtCanvas::neededRects() const {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if ((*it)->painter) return (*it)->needed;
    return visibleRects_;
}

bool QtCanvas::drawingWhole() const {
    return std::any_of(layers_.begin(), layers_.end(), [](const auto& l) { return l->contentKey != 0; });
}

void QtCanvas::save() { current().save(); }
void QtCanvas::restore() { current().restore(); }

void QtCanvas::concat(const Transform& t) { current().setWorldTransform(toQTransform(t), true); }

void QtCanvas::multiplyOpacity(double opacity) {
    QPainter& p = current();
    p.setOpacity(p.opacity() * std::clamp(opacity, 0.0, 1.0));
}

void QtCanvas::clip(const Path& path) {
    if (!paintsInside(path)) current().setClipPath(toQPainterPath(path), Qt::IntersectClip);
}

bool QtCanvas::paintsInside(const Path& outline) {
    // A layer made whole (to be kept) must hold all of its content, painted or not.
    if (!partial_ || outline.isEmpty() || drawingWhole()) return false;
    const QTransform& world = current().worldTransform();
    bool invertible = false;
    const QTransform inverse = world.inverted(&invertible);
    if (!invertible || !world.isAffine()) return false;
    const QPoint origin = currentOrigin();
    for (const QRect& painted : neededRects()) {
        // The area painted, in the outline's space. A pixel wholly inside the outline is wholly
        // covered by it; half a pixel to spare absorbs how far Qt's flattened curves stray.
        const QRectF area =
            inverse.mapRect(QRectF(painted.translated(-origin)).adjusted(-0.5, -0.5, 0.5, 0.5));
        if (!liesInside(outline, Rect{area.x(), area.y(), area.width(), area.height()})) return false;
    }
    return true;
}

bool QtCanvas::keepsLayer(const LayerStyle& style, std::uint64_t key) {
    if (style.owner == 0 || !cache_) return true;
    return !cache_->contentChanged(style.owner, key);
}

bool QtCanvas::beginLayer(const LayerStyle& style, const Rect& bounds) {
    QPainter& parent = current();
    auto layer = std::make_unique<Layer>();
    layer->style = style;
    layer->base = parent.worldTransform();
    layer->scale = transformScale(layer->base);

    // A clip alone needs no offscreen image: the painter clips antialiased.
    const bool onlyClip = style.clip && !style.masked && !style.saturation && style.blurRadius <= 0 &&
                          !style.shadow && style.contentKey == 0 && style.opacity >= 1;
    if (onlyClip) {
        layer->clipOnly = &parent;
        parent.save();
        clip(*style.clip);
        layers_.push_back(std::move(layer));
        return true;
    }

    // The device area the content and its effects can reach.
    const int margin = effectMargin(style, layer->scale);
    // Areas are worked out in the root's device space, so a layer's pixels do not depend on how
    // much of an enclosing layer is painted.
    const QPoint parentOrigin = currentOrigin();
    const QRectF device = layer->base.mapRect(QRectF(bounds.x(), bounds.y(), bounds.width(), bounds.height()))
                              .translated(parentOrigin)
                              .adjusted(-margin - 1, -margin - 1, margin + 1, margin + 1);
    QRect area = device.toAlignedRect().intersected(
        QRect(QPoint(0, 0), deviceSize_).adjusted(-margin, -margin, margin, margin));
    // Reductions follow the whole layer, so a part of it is made as the whole would be.
    const Reductions reductions = reductionsFor(style, layer->scale, area.size());
    layer->shadowReduction = reductions.shadow;
    layer->blurReduction = reductions.blur;
    // Only what is painted matters, unless the result is kept (then all of it is made); a blur
    // or shadow there is made of the content within its reach.
    if (style.contentKey == 0 && !drawingWhole() && partial_) {
        const int reach = effectMargin(style, layer->scale, reductions);
        // Of the painted area, the parts within reach of this layer.
        QRect near;
        const QRect within = area.adjusted(-reach, -reach, reach, reach);
        for (const QRect& r : neededRects()) near |= r.intersected(within);
        area = alignedPart(area, near.adjusted(-reach, -reach, reach, reach),
                           std::lcm(reductions.shadow, reductions.blur));
    }
    if (area.isEmpty()) area = QRect(parentOrigin, QSize(1, 1));
    layer->rootOrigin = area.topLeft();
    layer->origin = area.topLeft() - parentOrigin;
    layer->needed = {area};

    if (style.contentKey != 0) {
        // Equal content drawn at the same sub-pixel position through the same scale and
        // rotation makes equal pixels: the key of the result.
        const QPointF at = layer->base.map(QPointF(bounds.x(), bounds.y())) + QPointF(parentOrigin);
        const QPointF whole(std::floor(at.x()), std::floor(at.y()));
        std::uint64_t key = style.contentKey;
        auto add = [&key](double v) {
            std::uint64_t z = key ^ (static_cast<std::uint64_t>(std::llround(v * 4096)) +
                                     0x9e3779b97f4a7c15ULL + (key << 6) + (key >> 2));
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            key = z ^ (z >> 31);
        };
        const QTransform& b = layer->base;
        for (double v : {b.m11(), b.m12(), b.m13(), b.m21(), b.m22(), b.m23(), b.m33(), at.x() - whole.x(),
                         at.y() - whole.y(), area.left() - whole.x(), area.top() - whole.y(),
                         static_cast<double>(area.width()), static_cast<double>(area.height()),
                         showsNativeViews_ ? 1.0 : 0.0})
            add(v);
        if (style.shadow) {
            const auto& sh = *style.shadow;
            for (double v : {sh.color.r, sh.color.g, sh.color.b, sh.color.a, sh.radius, sh.x, sh.y}) add(v);
        }
        layer->contentKey = key;
        if ((layer->kept = cache_->find(key))) {
            layers_.push_back(std::move(layer));
            return false;
        }
    }

    layer->image = scratchImages().take(area.size());
    layer->painter = std::make_unique<QPainter>(&layer->image);
    layer->painter->setRenderHints(root_.renderHints());
    layer->painter->setWorldTransform(layer->base *
                                      QTransform::fromTranslate(-layer->origin.x(), -layer->origin.y()));
    layers_.push_back(std::move(layer));
    return true;
}

void QtCanvas::beginMask() {
    if (layers_.empty()) return;
    Layer& l = *layers_.back();
    if (!l.painter) return;
    l.mask = scratchImages().take(l.image.size());
    l.maskPainter = std::make_unique<QPainter>(&l.mask);
    l.maskPainter->setRenderHints(root_.renderHints());
    l.maskPainter->setWorldTransform(l.base * QTransform::fromTranslate(-l.origin.x(), -l.origin.y()));
}

void QtCanvas::endLayer() {
    if (layers_.empty()) return;
    std::unique_ptr<Layer> l = std::move(layers_.back());
    layers_.pop_back();
    if (l->clipOnly) {
        l->clipOnly->restore();
        return;
    }
    const LayerStyle& style = l->style;
    QPainter& parent = current();
    if (l->kept) {
        composite(parent, *l, *l->kept);
        return;
    }
    l->maskPainter.reset();
    l->painter.reset();
    QImage& image = l->image;
    const QTransform local = l->base * QTransform::fromTranslate(-l->origin.x(), -l->origin.y());

    auto keepInside = [&](const QImage& mask) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    };
    if (style.clip) {
        QImage mask = scratchImages().take(image.size());
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setWorldTransform(local);
        p.fillPath(toQPainterPath(*style.clip), Qt::white);
        p.end();
        keepInside(mask);
        scratchImages().give(std::move(mask));
    }
    if (style.masked && !l->mask.isNull()) keepInside(l->mask);
    if (style.saturation) saturate(image, *style.saturation);

    EffectResult result;
    if (style.shadow) {
        // The shadow: the layer's alpha in the shadow's colour, blurred and offset, beneath it.
        const ShadowEffect& s = *style.shadow;
        const double sigma = s.radius / 2 * l->scale;
        result.shadow.factor = l->shadowReduction;
        result.shadow.image = shadowOf(image, sigma, toQColor(s.color), result.shadow.factor);
        const QTransform& b = l->base;
        result.shadow.offset = QPointF(b.m11() * s.x + b.m21() * s.y, b.m12() * s.x + b.m22() * s.y);
    }
    if (style.blurRadius > 0) {
        const double sigma = style.blurRadius / 2 * l->scale;
        result.content.factor = l->blurReduction;
        result.content.image = blurredReduced(image, sigma, style.blurOpaque, result.content.factor);
    } else if (l->contentKey != 0) {
        result.content.image = image.copy();
    }
    if (l->contentKey != 0) {
        result.pictures = std::move(l->pictures);
        if (result.bytes() <= cache_->byteLimit()) {
            if (const EffectResult* kept = cache_->insert(l->contentKey, style.owner, std::move(result))) {
                composite(parent, *l, *kept);
                scratchImages().give(std::move(l->image));
                scratchImages().give(std::move(l->mask));
                return;
            }
        }
    }
    if (result.content.isNull()) {
        result.content.image = std::move(image);
        composite(parent, *l, result);
        scratchImages().give(std::move(result.content.image));
    } else {
        composite(parent, *l, result);
        scratchImages().give(std::move(l->image));
    }
    scratchImages().give(std::move(l->mask));
}

void QtCanvas::composite(QPainter& parent, const Layer& l, const EffectResult& result) {
    parent.save();
    parent.setOpacity(parent.opacity() * std::clamp(l.style.opacity, 0.0, 1.0));
    parent.resetTransform();
    parent.setRenderHint(QPainter::SmoothPixmapTransform);
    // The layer's pixels are in its parent's device space, at its origin.
    const QPointF at(l.origin);
    for (const EffectImage* e : {&result.shadow, &result.content}) {
        if (e->isNull()) continue;
        const QRectF target(at + e->offset, QSizeF(e->image.size()) * e->factor);
        inBands(parent, partial_, deviceArea(parent, target), [&] {
            if (e->factor > 1)
                parent.drawImage(target, e->image);
            else
                parent.drawImage(target.topLeft(), e->image);
        });
    }
    parent.restore();
}

void QtCanvas::drawShadow(const Path& outline, double alpha, const ShadowEffect& shadow,
                          std::uint64_t owner) {
    QPainter& p = current();
    // Beneath an opaque outline, no shadow shows.
    const bool opaque = alpha >= 1 && p.opacity() >= 1;
    if (opaque && paintsInside(outline)) return;
    const QTransform world = p.worldTransform();
    const double scale = transformScale(world);
    QColor color = toQColor(shadow.color);
    color.setAlphaF(static_cast<float>(std::clamp(color.alphaF() * alpha, 0.0, 1.0)));
    if (color.alpha() == 0) return;
    // The outline in the painter's device pixels, moved by the shadow's offset.
    const QPointF offset = world.map(QPointF(shadow.x, shadow.y)) - world.map(QPointF(0, 0));
    const Transform device = Transform{world.m11(), world.m12(), world.m13(), world.m21(), world.m22(),
                                       world.m23(), world.m31(), world.m32(), world.m33()}
                                 .then(Transform::translation(offset.x(), offset.y()));
    OutlineShadow s;
    s.outline = outline.transformed(device);
    if (opaque && world.isAffine()) {
        s.covered =
            outline.transformed(Transform{world.m11(), world.m12(), world.m13(), world.m21(), world.m22(),
                                          world.m23(), world.m31(), world.m32(), world.m33()});
    }
    s.sigma = shadow.radius / 2 * scale;
    s.color = color;
    s.margin = static_cast<int>(std::ceil(1.5 * shadow.radius * scale)) + 3;
    // The current target, in its own pixels: the whole canvas, not only the part painted now,
    // so a shadow repainted in part is the one a full repaint makes (and the one kept).
    QRect limit(QPoint(0, 0), deviceSize_);
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it)
        if ((*it)->painter) {
            limit = QRect(QPoint(0, 0), (*it)->image.size());
            break;
        }
    s.limit = limit;
    for (const QRect& r : neededRects()) s.painted.push_back(r.translated(-currentOrigin()));
    drawOutlineShadow(p, s, *cache_, owner);
}

void QtCanvas::fill(const Path& path, const Paint& paint) {
    QPainter& p = current();
    if (paint.kind == Paint::Kind::solid && paintsInside(path)) {
        // All that is painted lies inside: the same pixels as the outline's fill, without it.
        p.save();
        p.resetTransform();
        const QColor color = toQColor(paint.color);
        for (const QRect& r : neededRects()) {
            const QRect area = r.translated(-currentOrigin());
            inBands(p, partial_, area, [&] { p.fillRect(area, color); });
        }
        p.restore();
        return;
    }
    if (paint.kind == Paint::Kind::solid && fillRoundedBox(p, path, toQColor(paint.color))) return;
    const QPainterPath outline = toQPainterPath(path);
    const QBrush brush = toBrush(paint);
    if (paint.kind == Paint::Kind::solid && brush.color().alpha() == 255 && p.opacity() >= 1 &&
        p.compositionMode() == QPainter::CompositionMode_SourceOver) {
        // Qt writes an opaque colour rather than blending it, on this thread however tall the
        // outline: one pass, as a whole repaint fills it. Through a scratch image a moving
        // island's ground cost a part repainted more than the whole frame, and the scratch,
        // blended under a clip, went to Qt's pool all the same.
        p.fillPath(outline, brush);
        return;
    }
    const QRect area = deviceArea(p, outline.boundingRect());
    if (paint.kind == Paint::Kind::solid && fillOnce(p, outline, brush.color(), area)) return;
    // A gradient's edge spans, several to a row, reach Qt's pool from a few dozen rows on.
    inBands(
        p, partial_, area, [&] { p.fillPath(outline, brush); }, paint.kind == Paint::Kind::solid ? 64 : 16);
}

// Qt rasterises a curved outline, however small, at a cost of microseconds (flattening its
// curves, then its coverage cells): the rounded rectangles and capsules most fills are (a
// progress bar, an equalizer's bars, a tab's ground) are covered here in one pass and blended
// as an image, which Qt clips and fades as it would the fill. Only under a transform that
// scales both ways alike and moves, painting over what is there.
bool QtCanvas::fillRoundedBox(QPainter& p, const Path& path, const QColor& color) {
    const QTransform& t = p.worldTransform();
    if (t.type() > QTransform::TxScale || t.m11() <= 0 || std::abs(t.m11() - t.m22()) > 1e-9 ||
        !p.testRenderHint(QPainter::Antialiasing) ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const auto box = roundedBoxOf(path);
    if (!box) return false;
    const double s = t.m11();
    const RoundedBox device{box->x0 * s + t.dx(), box->y0 * s + t.dy(), box->x1 * s + t.dx(),
                            box->y1 * s + t.dy(), box->radius * s};
    // Every one such is covered here, whatever its size: pixels drawn one way in one frame and
    // the other way in the next would differ where the next repaints nothing.
    const QRect bounds =
        withinClip(p, QRectF(QPointF(device.x0, device.y0), QPointF(device.x1, device.y1)).toAlignedRect());
    if (bounds.isEmpty() || color.alpha() == 0) return true;
    const std::uint32_t pixel = qPremultiply(color.rgba());
    const auto cover = [&](const QRect& area) {
        QImage scratch = scratchImages().take(area.size(), false);  // every pixel is written
        rasterRoundedBox(scratch, area.topLeft(), device, pixel);
        blendScratch(p, std::move(scratch), area);
    };
    // Each part being repainted on its own: a bar whose end moved, repainted with labels beside
    // it, is covered at its end alone. None: all of the canvas is painted.
    const auto& rects = neededRects();
    if (rects.empty()) cover(bounds);
    for (const QRect& r : rects)
        if (const QRect area = bounds & r.translated(-currentOrigin()); !area.isEmpty()) cover(area);
    return true;
}

// Blends `scratch`, made for `area` (device pixels), over what is there, and keeps it for reuse.
// In bands even in a whole repaint: an image of a few thousand pixels gains nothing from Qt's
// thread pool.
void QtCanvas::blendScratch(QPainter& p, QImage scratch, const QRect& area) {
    p.save();
    p.resetTransform();
    inBands(p, true, area, [&] { p.drawImage(area.topLeft(), scratch); });
    p.restore();
    scratchImages().give(std::move(scratch));
}

// Filled in bands, a tall translucent outline would be rasterised again for each band (Qt's
// rasteriser walks the whole outline whatever the clip), and its coverage spans, blended in
// one go, go to Qt's thread pool. Such a fill of a part repainted is instead rasterised once
// into a scratch image of the rows that can change (replacing, which Qt keeps on this thread;
// over clear pixels the same as blending), and that image blended in bands: the same pixels.
bool QtCanvas::fillOnce(QPainter& p, const QPainterPath& outline, const QColor& color, QRect area) {
    constexpr int band = 64;
    if (!partial_ || p.opacity() < 1 || p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    area = withinClip(p, area);
    if (area.height() <= band) return false;
    QImage scratch = scratchImages().take(area.size());
    {
        QPainter s(&scratch);
        s.setRenderHints(p.renderHints());
        s.setCompositionMode(QPainter::CompositionMode_Source);
        s.setTransform(p.worldTransform() * QTransform::fromTranslate(-area.left(), -area.top()));
        s.fillPath(outline, color);
    }
    blendScratch(p, std::move(scratch), area);
    return true;
}

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

bool QtCanvas::reaches(const Rect& bounds) {
    const std::vector<QRect>& needed = neededRects();
    if (needed.empty()) return true;  // all of the canvas is painted
    const QRect device = current()
                             .worldTransform()
                             .mapRect(QRectF(bounds.x(), bounds.y(), bounds.width(), bounds.height()))
                             .toAlignedRect()
                             .adjusted(-1, -1, 1, 1)
                             .translated(currentOrigin());
    return std::any_of(needed.begin(), needed.end(), [&](const QRect& r) { return r.intersects(device); });
}

void QtCanvas::drawText(const TextRun& run, const Paint& paint) {
    // A text's runs are drawn one by one: those wholly outside what is painted are not.
    if (run.text.empty() || !reaches(runBounds(run))) return;
    drawTextRun(current(), fonts_, run, paint);
}

void QtCanvas::drawImage(const platform::Image& picture, const Rect& destination, int interpolation) {
    // A kept layer is stale once a picture drawn into it is gone.
    for (auto& l : layers_)
        if (l->contentKey != 0 && l->painter) l->pictures.push_back(picture.pixels);
    QPainter& p = current();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, interpolation > 0);
    const QRectF target(destination.x(), destination.y(), destination.width(), destination.height());
    const QImage image = premultiplied(picture);
    inBands(p, partial_, deviceArea(p, target), [&] { p.drawImage(target, image); });
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
                 std::max(1, static_cast<int>(std::ceil(size.height * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QtCanvas canvas(painter, QtFontEngine::shared(), scale, image.size());
    list.draw(canvas);
    painter.end();
    return image;
}

QRegion deviceRegion(const Region& region, double scale, const QRect& limit, Point origin) {
    QRegion out;
    for (const Rect& shown : region.rects()) {
        const Rect r = shown.offsetBy(-origin.x, -origin.y);
        const int x0 = static_cast<int>(std::floor(r.minX() * scale)) - 1,
                  y0 = static_cast<int>(std::floor(r.minY() * scale)) - 1;
        const int x1 = static_cast<int>(std::ceil(r.maxX() * scale)) + 1,
                  y1 = static_cast<int>(std::ceil(r.maxY() * scale)) + 1;
        out += QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)).intersected(limit);
    }
    return out;
}

QRegion repaintRegion(QImage& target, const DisplayItem& list, double scale, const Region& region,
                      bool showsNativeViews, EffectCache* cache, Point origin) {
    const QRegion device = deviceRegion(region, scale, target.rect(), origin);
    if (device.isEmpty()) return device;
    QPainter painter(&target);
    painter.setClipRegion(device);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(device.boundingRect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QtCanvas canvas(painter, QtFontEngine::shared(), scale, target.size());
    canvas.setOrigin(origin);
    canvas.setVisibleArea(device);
    canvas.setShowsNativeViews(showsNativeViews);
    if (cache) canvas.setEffectCache(*cache);
    list.draw(canvas);
    return device;
}

}  // namespace quorlix::ui::qt
