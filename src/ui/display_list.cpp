#include "ui/display_list.h"

#include "ui/canvas.h"
#include "ui/display_compare.h"
#include "ui/region.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

Rect unite(const std::optional<Rect>& a, const Rect& b) { return a ? unionOf(*a, b) : b; }

Rect intersect(const Rect& a, const Rect& b) { return intersectionOf(a, b); }

bool isAxisAlignedRect(const Path& p) {
    const auto& e = p.elements();
    if (e.size() != 5 || e[0].verb != Path::Verb::move || e[4].verb != Path::Verb::close) return false;
    for (int i = 1; i < 4; ++i)
        if (e[static_cast<std::size_t>(i)].verb != Path::Verb::line) return false;
    for (int i = 0; i < 4; ++i) {
        const Point a = e[static_cast<std::size_t>(i)].p[0],
                    b = e[static_cast<std::size_t>((i + 1) % 4)].p[0];
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
            if (item.runs.empty()) return item.frame;
            Rect b = runBounds(item.runs.front());
            for (const auto& r : item.runs) b = unionOf(b, runBounds(r));
            return b;
        }
        case DisplayItem::Kind::image: return item.imageRect;
    }
    return {};
}

// Content bounds (in the item's own space) grown by the item's effects and mapped through its
// transform, into its parent's space.
Rect withEffects(const DisplayItem& item, Rect b) {
    if (item.clip) b = intersect(b, item.clip->controlBounds());
    if (item.blurRadius > 0) b = b.insetBy(-effectOutset(item.blurRadius), -effectOutset(item.blurRadius));
    if (item.shadow) {
        const double m = effectOutset(item.shadow->radius);
        b = unite(b, b.offsetBy(item.shadow->x, item.shadow->y).insetBy(-m, -m));
    }
    return item.transform.mapBounds(b);
}

// Whether the item's effects need an offscreen layer, counting its shadow or not.
bool layerNeeded(const DisplayItem& item, bool withShadow) {
    if (item.blurRadius > 0 || item.saturation || (withShadow && item.shadow) || item.mask ||
        item.cachesLayer)
        return true;
    if (item.clip && item.clipAntialiased && !isAxisAlignedRect(*item.clip)) return true;
    return item.opacity < 1 && countDraws(item, 2) > 1;
}

const Rect* knownBounds(const DisplayItem& item) {
    return item.stamp != 0 && item.boundsMemo.stamp == item.stamp ? &item.boundsMemo.content : nullptr;
}

Rect remember(const DisplayItem& item, Rect content) {
    if (item.stamp != 0) item.boundsMemo = {content, item.stamp};
    return content;
}

Rect contentBounds(const DisplayItem& item) {
    if (const Rect* known = knownBounds(item)) return *known;
    std::optional<Rect> b;
    if (item.kind != DisplayItem::Kind::group) b = ownContentBounds(item);
    for (const auto& c : item.children) {
        const Rect cb = c.visualBounds();
        if (cb.width() > 0 || cb.height() > 0) b = unite(b, cb);
    }
    return remember(item, b ? *b : Rect{item.frame.origin, {0, 0}});
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

std::vector<const DisplayItem*> DisplayItem::findAll(
    const std::function<bool(const DisplayItem&)>& match) const {
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

bool DisplayItem::needsLayer() const { return layerNeeded(*this, shadow.has_value()); }

Rect DisplayItem::visualBounds() const { return withEffects(*this, contentBounds(*this)); }

double effectOutset(double radius) { return radius > 0 ? 1.5 * radius + 3 : 0; }

Rect runBounds(const TextRun& r) {
    if (r.ink) return r.ink->offsetBy(r.origin.x, r.origin.y).insetBy(-r.embolden, -r.embolden);
    const double s = r.font.size;
    return {r.origin.x - s * 0.25 - r.embolden, r.origin.y - s * 1.2 - r.embolden,
            r.width + s * 0.5 + 2 * r.embolden, s * 1.7 + 2 * r.embolden};
}

namespace {

// Which items meet the area being painted, found in one pass before drawing: items are
// numbered in depth-first order, each with the size of its subtree, so a hidden subtree is
// skipped whole.
struct Culling {
    Region visible;
    std::vector<char> meets;
    std::vector<std::size_t> extent;

    // Bounds of `item` in its parent's space; `toRoot` maps that space into the root's.
    // A subtree outside takes one entry, its items none: it is not drawn.
    Rect walk(const DisplayItem& item, const Transform& toRoot) {
        const std::size_t index = meets.size();
        meets.push_back(0);
        extent.push_back(1);
        // A point of slack for antialiased edges.
        auto reaches = [&](const Rect& bounds) {
            return visible.intersects(toRoot.mapBounds(bounds).insetBy(-1, -1));
        };
        if (const Rect* known = knownBounds(item)) {
            const Rect bounds = withEffects(item, *known);
            if (!reaches(bounds)) return bounds;
        }
        const Transform inside = item.transform.then(toRoot);
        std::optional<Rect> content;
        if (item.kind != DisplayItem::Kind::group) content = ownContentBounds(item);
        for (const auto& c : item.children) {
            const Rect cb = walk(c, inside);
            if (cb.width() > 0 || cb.height() > 0) content = unite(content, cb);
        }
        const Rect bounds =
            withEffects(item, remember(item, content ? *content : Rect{item.frame.origin, {0, 0}}));
        meets[index] = reaches(bounds);
        extent[index] = meets.size() - index;
        return bounds;
    }
};

void drawOwn(const DisplayItem& item, Canvas& canvas) {
    switch (item.kind) {
        case DisplayItem::Kind::group: break;
        case DisplayItem::Kind::shape:
            if (item.fill && !item.fill->isInvisible()) canvas.fill(item.path, *item.fill);
            if (item.strokePaint && !item.strokePaint->isInvisible() && item.stroke.lineWidth > 0) {
                if (item.strokeInside) {
                    // Inside the border: twice the width, clipped to the outline.
                    StrokeStyle doubled = item.stroke;
                    doubled.lineWidth *= 2;
                    LayerStyle inside;
                    inside.clip = item.path;
                    if (canvas.beginLayer(inside, item.path.controlBounds()))
                        canvas.stroke(item.path, *item.strokePaint, doubled);
                    canvas.endLayer();
                } else {
                    canvas.stroke(item.path, *item.strokePaint, item.stroke);
                }
            }
            break;
        case DisplayItem::Kind::text:
        case DisplayItem::Kind::symbol:
            if (item.textPaint && !item.textPaint->isInvisible())
                for (const auto& r : item.runs) canvas.drawText(r, *item.textPaint);
            break;
        case DisplayItem::Kind::image:
            if (!item.image.isEmpty()) canvas.drawImage(item.image, item.imageRect, item.interpolation);
            break;
    }
}

// Draws `item` (number `index` in `culling`, when painting part of the canvas).
void drawItem(const DisplayItem& item, Canvas& canvas, const Culling* culling, std::size_t index) {
    if (culling && !culling->meets[index]) return;
    if (item.opacity <= 0) return;
    // An item without a transform or effects of its own leaves the canvas's state as it found
    // it: saving that state (as costly as a small fill) is left to the items that change it.
    const bool plain = item.transform.isIdentity() && !item.shadow && !item.clip && item.opacity >= 1 &&
                       !layerNeeded(item, false);
    if (!plain) canvas.save();
    if (!item.transform.isIdentity()) canvas.concat(item.transform);

    // A shadow cast by a known outline is drawn from the outline alone, so the content need
    // not go through a layer for it, and changes inside the outline leave it as it is.
    const std::optional<ShadowSource> source = item.shadow ? shadowSource(item) : std::nullopt;
    if (source)
        canvas.drawShadow(source->outline, source->alpha * item.opacity, *item.shadow, item.identity.value);
    const bool contentShadow = item.shadow && !source;

    const bool layer = !plain && layerNeeded(item, contentShadow);
    bool drawContent = true;
    if (layer) {
        LayerStyle style;
        style.owner = item.identity.value;
        style.opacity = item.opacity;
        if (item.clip) style.clip = *item.clip;
        style.masked = item.mask != nullptr;
        style.blurRadius = item.blurRadius;
        style.blurOpaque = item.blurOpaque;
        style.saturation = item.saturation;
        if (contentShadow) style.shadow = item.shadow;
        Rect bounds = contentBounds(item);
        if (item.clip) bounds = intersect(bounds, item.clip->controlBounds());
        // Layers whose result can be kept from frame to frame: blurs, shadows of content, and
        // those asked for.
        if (item.blurRadius > 0 || contentShadow || item.cachesLayer) {
            const std::uint64_t key = contentKey(item, bounds.origin);
            if (item.cachesLayer || canvas.keepsLayer(style, key)) style.contentKey = key;
            // Kept results are drawn whole, and effects reach beyond the painted area: their
            // content is not cut to it.
            culling = nullptr;
        }
        drawContent = canvas.beginLayer(style, bounds);
    } else {
        if (item.opacity < 1) canvas.multiplyOpacity(item.opacity);
        if (item.clip) canvas.clip(*item.clip);
    }

    if (drawContent) {
        drawOwn(item, canvas);
        // A text field's text is the native control's where there is one.
        const std::size_t drawn = item.embedded && canvas.showsNativeViews()
                                      ? std::min<std::size_t>(1, item.children.size())
                                      : item.children.size();
        std::size_t child = index + 1;
        for (std::size_t i = 0; i < item.children.size(); ++i) {
            if (i < drawn) drawItem(item.children[i], canvas, culling, child);
            if (culling) child += culling->extent[child];
        }
        if (layer && item.mask) {
            canvas.beginMask();
            drawItem(*item.mask, canvas, nullptr, 0);
        }
    }
    if (layer) canvas.endLayer();
    if (!plain) canvas.restore();
}

}  // namespace

void DisplayItem::draw(Canvas& canvas) const {
    if (std::optional<Region> visible = canvas.visibleRegion()) {
        Culling culling;
        culling.visible = std::move(*visible);
        culling.walk(*this, Transform{});
        drawItem(*this, canvas, &culling, 0);
        return;
    }
    drawItem(*this, canvas, nullptr, 0);
}

}  // namespace quorlix::ui
