#include "ui/display_list.h"

#include "ui/canvas.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

Rect unite(const std::optional<Rect>& a, const Rect& b) {
    if (!a) return b;
    const double x0 = std::min(a->minX(), b.minX()), y0 = std::min(a->minY(), b.minY());
    const double x1 = std::max(a->maxX(), b.maxX()), y1 = std::max(a->maxY(), b.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect intersect(const Rect& a, const Rect& b) {
    const double x0 = std::max(a.minX(), b.minX()), y0 = std::max(a.minY(), b.minY());
    const double x1 = std::min(a.maxX(), b.maxX()), y1 = std::min(a.maxY(), b.maxY());
    return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

bool isAxisAlignedRect(const Path& p) {
    const auto& e = p.elements();
    if (e.size() != 5 || e[0].verb != Path::Verb::move || e[4].verb != Path::Verb::close) return false;
    for (int i = 1; i < 4; ++i)
        if (e[static_cast<std::size_t>(i)].verb != Path::Verb::line) return false;
    for (int i = 0; i < 4; ++i) {
        const Point a = e[static_cast<std::size_t>(i)].p[0], b = e[static_cast<std::size_t>((i + 1) % 4)].p[0];
        if (a.x != b.x && a.y != b.y) return false;
    }
    return true;
}

// Up to two drawing leaves (enough to tell one from several).
int countDraws(const DisplayItem& item, int limit) {
    int n = item.kind == DisplayItem::Kind::group ? 0 : 1;
    for (const auto& c : item.children) {
        if (n >= limit) break;
        n += countDraws(c, limit - n);
    }
    if (item.mask || item.shadow || item.blurRadius > 0) n = limit;
    return n;
}

Rect ownContentBounds(const DisplayItem& item) {
    switch (item.kind) {
        case DisplayItem::Kind::group: return {};
        case DisplayItem::Kind::shape: {
            Rect b = item.path.controlBounds();
            if (item.strokePaint) b = b.insetBy(-item.stroke.lineWidth - 1, -item.stroke.lineWidth - 1);
            return b;
        }
        case DisplayItem::Kind::text:
        case DisplayItem::Kind::symbol: {
            std::optional<Rect> b;
            for (const auto& r : item.runs) {
                const double s = r.font.size;
                b = unite(b, Rect{r.origin.x - s * 0.1 - r.embolden, r.origin.y - s * 1.1 - r.embolden,
                                  r.width + s * 0.2 + 2 * r.embolden, s * 1.5 + 2 * r.embolden});
            }
            return b ? unite(b, item.frame) : item.frame;
        }
        case DisplayItem::Kind::image: return item.imageRect;
    }
    return {};
}

Rect contentBounds(const DisplayItem& item) {
    std::optional<Rect> b;
    if (item.kind != DisplayItem::Kind::group) b = ownContentBounds(item);
    for (const auto& c : item.children) {
        const Rect cb = c.visualBounds();
        if (cb.width() > 0 || cb.height() > 0) b = unite(b, cb);
    }
    return b ? *b : Rect{item.frame.origin, {0, 0}};
}

}  // namespace

const DisplayItem* DisplayItem::find(const std::function<bool(const DisplayItem&)>& match) const {
    if (match(*this)) return this;
    for (const auto& c : children)
        if (const auto* f = c.find(match)) return f;
    if (mask)
        if (const auto* f = mask->find(match)) return f;
    return nullptr;
}

std::vector<const DisplayItem*> DisplayItem::findAll(const std::function<bool(const DisplayItem&)>& match) const {
    std::vector<const DisplayItem*> out;
    std::function<void(const DisplayItem&)> walk = [&](const DisplayItem& i) {
        if (match(i)) out.push_back(&i);
        for (const auto& c : i.children) walk(c);
    };
    walk(*this);
    return out;
}

const DisplayItem* DisplayItem::findText(std::string_view t) const {
    return find([t](const DisplayItem& i) { return i.kind == Kind::text && i.text == t; });
}

const DisplayItem* DisplayItem::findSymbol(std::string_view name) const {
    return find([name](const DisplayItem& i) { return i.kind == Kind::symbol && i.symbol == name; });
}

const DisplayItem* DisplayItem::findRole(std::string_view r) const {
    return find([r](const DisplayItem& i) { return std::string_view(i.role) == r; });
}

std::vector<const DisplayItem*> DisplayItem::pathTo(const DisplayItem* target) const {
    if (this == target) return {this};
    for (const auto& c : children) {
        auto p = c.pathTo(target);
        if (!p.empty()) {
            p.insert(p.begin(), this);
            return p;
        }
    }
    return {};
}

Rect DisplayItem::drawnFrame(const DisplayItem* target) const {
    const auto chain = pathTo(target);
    if (chain.empty()) return {};
    // Inner transforms apply first.
    Transform t;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) t = t.then((*it)->transform);
    return t.mapBounds(target->frame);
}

const DisplayItem* DisplayItem::findIdentity(Identity id) const {
    return find([id](const DisplayItem& i) { return i.identity == id; });
}

std::size_t DisplayItem::count() const {
    std::size_t n = 1;
    for (const auto& c : children) n += c.count();
    return n;
}

bool DisplayItem::needsLayer() const {
    if (blurRadius > 0 || saturation || shadow || mask) return true;
    if (clip && clipAntialiased && !isAxisAlignedRect(*clip)) return true;
    return opacity < 1 && countDraws(*this, 2) > 1;
}

Rect DisplayItem::visualBounds() const {
    Rect b = contentBounds(*this);
    if (clip) b = intersect(b, clip->controlBounds());
    if (blurRadius > 0) b = b.insetBy(-1.5 * blurRadius, -1.5 * blurRadius);
    if (shadow) {
        const double m = 1.5 * shadow->radius;
        b = unite(b, b.offsetBy(shadow->x, shadow->y).insetBy(-m, -m));
    }
    return transform.mapBounds(b);
}

void DisplayItem::draw(Canvas& canvas) const {
    if (opacity <= 0) return;
    canvas.save();
    if (!transform.isIdentity()) canvas.concat(transform);
    const bool layer = needsLayer();
    if (layer) {
        LayerStyle style;
        style.opacity = opacity;
        if (clip) style.clip = *clip;
        style.masked = mask != nullptr;
        style.blurRadius = blurRadius;
        style.blurOpaque = blurOpaque;
        style.saturation = saturation;
        style.shadow = shadow;
        Rect bounds = contentBounds(*this);
        if (clip) bounds = intersect(bounds, clip->controlBounds());
        canvas.beginLayer(style, bounds);
    } else {
        if (opacity < 1) canvas.multiplyOpacity(opacity);
        if (clip) canvas.clip(*clip);
    }

    switch (kind) {
        case Kind::group: break;
        case Kind::shape:
            if (fill && !fill->isInvisible()) canvas.fill(path, *fill);
            if (strokePaint && !strokePaint->isInvisible() && stroke.lineWidth > 0) {
                if (strokeInside) {
                    // Inside the border: twice the width, clipped to the outline.
                    StrokeStyle doubled = stroke;
                    doubled.lineWidth *= 2;
                    LayerStyle inside;
                    inside.clip = path;
                    canvas.beginLayer(inside, path.controlBounds());
                    canvas.stroke(path, *strokePaint, doubled);
                    canvas.endLayer();
                } else {
                    canvas.stroke(path, *strokePaint, stroke);
                }
            }
            break;
        case Kind::text:
        case Kind::symbol:
            if (textPaint && !textPaint->isInvisible())
                for (const auto& r : runs) canvas.drawText(r, *textPaint);
            break;
        case Kind::image:
            if (!image.isEmpty()) canvas.drawImage(image, imageRect, interpolation);
            break;
    }
    // A text field's text is the native control's where there is one.
    const std::size_t drawn = embedded && canvas.showsNativeViews() ? std::min<std::size_t>(1, children.size()) : children.size();
    for (std::size_t i = 0; i < drawn; ++i) children[i].draw(canvas);

    if (layer) {
        if (mask) {
            canvas.beginMask();
            mask->draw(canvas);
        }
        canvas.endLayer();
    }
    canvas.restore();
}

}  // namespace quorlix::ui
