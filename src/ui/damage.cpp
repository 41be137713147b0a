#include "ui/damage.h"

#include "ui/display_compare.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace quorlix::ui {

namespace {

void compareItems(const DisplayItem& a, const DisplayItem& b, Region& out);

// What an item shows on screen: nothing at all when it is transparent.
Rect drawnBounds(const DisplayItem& item) { return item.opacity <= 0 ? Rect{} : item.visualBounds(); }

// Children matched by identity, in order; lists that are not the same sequence of identities
// (views inserted, removed or moved) damage every child they hold.
void compareChildren(const DisplayItem& a, const DisplayItem& b, Region& out) {
    const auto& x = a.children;
    const auto& y = b.children;
    bool sameOrder = x.size() == y.size();
    for (std::size_t i = 0; sameOrder && i < x.size(); ++i) sameOrder = x[i].identity == y[i].identity;
    if (sameOrder) {
        for (std::size_t i = 0; i < x.size(); ++i) compareItems(x[i], y[i], out);
        return;
    }
    for (const auto& c : x) out.add(drawnBounds(c));
    for (const auto& c : y) out.add(drawnBounds(c));
}

// One run of glyphs as a text draws it, in the text's own space: a text changing its content
// draws the old and the new glyphs as parts of its own, each faded, blurred and moved apart.
struct Glyphs {
    const TextRun* run;
    const Paint* paint;
    double opacity;
    const Transform* transform;
    double blur;

    bool operator==(const Glyphs& o) const {
        const TextRun &x = *run, &y = *o.run;
        return x.font == y.font && x.text == y.text && x.origin == y.origin && x.width == y.width &&
               x.embolden == y.embolden && *paint == *o.paint && opacity == o.opacity &&
               *transform == *o.transform && blur == o.blur;
    }
    Rect bounds() const {
        const Rect r = runBounds(*run);
        return transform->mapBounds(r.insetBy(-effectOutset(blur), -effectOutset(blur)));
    }
};

bool isText(const DisplayItem& item) {
    return item.kind == DisplayItem::Kind::text || item.kind == DisplayItem::Kind::symbol;
}

// Adds to `out` the glyphs `item` draws, when it draws only glyphs: its own, and those of parts
// that hold nothing but glyphs with an opacity, a blur and a transform of their own.
bool glyphsOf(const DisplayItem& item, std::vector<Glyphs>& out) {
    static const Transform identity;
    if (item.kind != DisplayItem::Kind::group && !isText(item)) return false;
    auto add = [&out](const DisplayItem& i, double opacity, const Transform& t, double blur) {
        if (opacity <= 0 || !i.textPaint || i.textPaint->isInvisible()) return;
        for (const auto& r : i.runs) out.push_back({&r, &*i.textPaint, opacity, &t, blur});
    };
    add(item, 1, identity, 0);
    for (const auto& part : item.children) {
        if (!isText(part) || !part.children.empty() || part.clip || part.mask || part.shadow ||
            part.saturation || part.cachesLayer || part.embedded)
            return false;
        add(part, part.opacity, part.transform, part.blurRadius);
    }
    return true;
}

// For two items alike but for what they draw, when both draw only glyphs: adds to `out` (in
// their own space) the glyphs that one draws and the other does not, so a clock whose last digit
// changes damages that digit alone. False when they draw anything else.
bool compareGlyphs(const DisplayItem& a, const DisplayItem& b, Region& out) {
    std::vector<Glyphs> x, y;
    if (!glyphsOf(a, x) || !glyphsOf(b, y)) return false;
    std::vector<bool> matched(y.size(), false);
    for (const Glyphs& g : x) {
        bool found = false;
        for (std::size_t i = 0; i < y.size() && !found; ++i)
            if (!matched[i] && g == y[i]) found = matched[i] = true;
        if (!found) out.add(g.bounds());
    }
    for (std::size_t i = 0; i < y.size(); ++i)
        if (!matched[i]) out.add(y[i].bounds());
    return true;
}

// For two lone shapes alike but for their outline, when both are rounded boxes of one radius
// and one solid fill that differ only by where one end stands (a progress bar's fill growing,
// a bar rising from its base): adds to `out` (in their own space) the ends that differ, their
// rounded corners included, since the rest of each box covers the same pixels. False when they
// differ otherwise.
bool compareBoxEnds(const DisplayItem& a, const DisplayItem& b, Region& out) {
    const auto solidFillOnly = [](const DisplayItem& i) {
        const bool stroked = i.strokePaint && !i.strokePaint->isInvisible() && i.stroke.lineWidth > 0;
        return i.kind == DisplayItem::Kind::shape && i.children.empty() && !stroked && i.fill &&
               i.fill->kind == Paint::Kind::solid;
    };
    if (!solidFillOnly(a) || !solidFillOnly(b) || !(*a.fill == *b.fill)) return false;
    const auto x = roundedBoxOf(a.path), y = roundedBoxOf(b.path);
    if (!x || !y || x->radius != y->radius) return false;
    const double r = x->radius;
    // Along one axis the box stands still; along the other one end moved. Answers the span that
    // differs along the other axis (from, to), or none.
    const auto movedEnd = [r](double a0, double a1, double b0,
                              double b1) -> std::optional<std::pair<double, double>> {
        if (a0 == b0) return std::pair{std::min(a1, b1) - r, std::max(a1, b1)};
        if (a1 == b1) return std::pair{std::min(a0, b0), std::max(a0, b0) + r};
        return std::nullopt;
    };
    if (x->y0 == y->y0 && x->y1 == y->y1) {
        const auto span = movedEnd(x->x0, x->x1, y->x0, y->x1);
        if (!span) return false;
        out.add(Rect{span->first, x->y0, span->second - span->first, x->y1 - x->y0});
        return true;
    }
    if (x->x0 == y->x0 && x->x1 == y->x1) {
        const auto span = movedEnd(x->y0, x->y1, y->y0, y->y1);
        if (!span) return false;
        out.add(Rect{x->x0, span->first, x->x1 - x->x0, span->second - span->first});
        return true;
    }
    return false;
}

bool sameShadowSource(const DisplayItem& a, const DisplayItem& b) {
    const auto sa = shadowSource(a), sb = shadowSource(b);
    return sa && sb && sa->alpha == sb->alpha && sa->outline == sb->outline;
}

// Adds to `out` (in the parent's space of the items) what differs between `a` and `b`.
void compareItems(const DisplayItem& a, const DisplayItem& b, Region& out) {
    // The same subtree, or one drawn as in the same render: only what was drawn anew is compared.
    if (&a == &b || (a.stamp != 0 && a.stamp == b.stamp)) return;
    // Transparent before and after: nothing shows either way.
    if (a.opacity <= 0 && b.opacity <= 0) return;
    Region inside;  // in the item's own space
    if (drawsAlike(a, b)) {
        compareChildren(a, b, inside);
    } else if (!effectsAlike(a, b) || (!compareGlyphs(a, b, inside) && !compareBoxEnds(a, b, inside))) {
        out.add(drawnBounds(a));
        out.add(drawnBounds(b));
        return;
    }
    if (inside.isEmpty()) return;
    // Alike, so both have the same effects: they act on the change inside as on any content.
    if (b.clip) inside = inside.intersected(b.clip->controlBounds().insetBy(-1, -1));
    if (b.blurRadius > 0) inside = inside.outset(effectOutset(b.blurRadius));
    if (b.shadow && !sameShadowSource(a, b)) {
        const double m = effectOutset(b.shadow->radius);
        Region cast;
        for (const Rect& r : inside.rects()) cast.add(r.offsetBy(b.shadow->x, b.shadow->y).insetBy(-m, -m));
        inside.add(cast);
    }
    if (b.transform.isIdentity()) {
        out.add(inside);
        return;
    }
    for (const Rect& r : inside.rects()) out.add(b.transform.mapBounds(r));
}

}  // namespace

Region damageBetween(const DisplayItem& before, const DisplayItem& after) {
    Region out;
    compareItems(before, after, out);
    return out;
}

}  // namespace quorlix::ui
