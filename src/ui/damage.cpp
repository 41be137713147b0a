#include "ui/damage.h"

#include "ui/display_compare.h"

namespace quorlix::ui {

namespace {

void compareItems(const DisplayItem& a, const DisplayItem& b, Region& out);

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
    for (const auto& c : x) out.add(c.visualBounds());
    for (const auto& c : y) out.add(c.visualBounds());
}

bool sameShadowSource(const DisplayItem& a, const DisplayItem& b) {
    const auto sa = shadowSource(a), sb = shadowSource(b);
    return sa && sb && sa->alpha == sb->alpha && sa->outline == sb->outline;
}

// Adds to `out` (in the parent's space of the items) what differs between `a` and `b`.
void compareItems(const DisplayItem& a, const DisplayItem& b, Region& out) {
    // The same subtree, or one drawn as in the same render: only what was drawn anew is compared.
    if (&a == &b || (a.stamp != 0 && a.stamp == b.stamp)) return;
    if (!drawsAlike(a, b)) {
        out.add(a.visualBounds());
        out.add(b.visualBounds());
        return;
    }
    Region inside;  // in the item's own space
    compareChildren(a, b, inside);
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
