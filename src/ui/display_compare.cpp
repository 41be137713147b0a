#include "ui/display_compare.h"

#include <cmath>
#include <cstring>

namespace quorlix::ui {

namespace {

bool samePaint(const std::optional<Paint>& a, const std::optional<Paint>& b) { return a == b; }

bool sameShadow(const std::optional<ShadowEffect>& a, const std::optional<ShadowEffect>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->color == b->color && a->radius == b->radius && a->x == b->x && a->y == b->y);
}

bool sameRuns(const std::vector<TextRun>& a, const std::vector<TextRun>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const TextRun &x = a[i], &y = b[i];
        if (!(x.font == y.font) || x.text != y.text || !(x.origin == y.origin) || x.width != y.width ||
            x.embolden != y.embolden)
            return false;
    }
    return true;
}

bool sameImage(const platform::Image& a, const platform::Image& b) {
    return a.pixels == b.pixels && a.width == b.width && a.height == b.height;
}

// A 64-bit hash built a word at a time (the finaliser of SplitMix64 on each step).
class Hasher {
public:
    void add(std::uint64_t v) {
        std::uint64_t z = state_ ^ (v + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2));
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        state_ = z ^ (z >> 31);
    }
    // Lengths to 1/1024 of a point: far below a pixel, and free of rounding noise from
    // subtracting the origin.
    void add(double v) {
        if (!std::isfinite(v)) {
            add(std::uint64_t{0x7ff0});
            return;
        }
        add(static_cast<std::uint64_t>(std::llround(v * 1024)));
    }
    void add(Point p) {
        add(p.x);
        add(p.y);
    }
    void add(const Rect& r) {
        add(r.origin);
        add(r.size.width);
        add(r.size.height);
    }
    void add(std::string_view s) {
        add(static_cast<std::uint64_t>(s.size()));
        add(static_cast<std::uint64_t>(std::hash<std::string_view>{}(s)));
    }
    void add(const Color& c) {
        add(c.r);
        add(c.g);
        add(c.b);
        add(c.a);
    }
    std::uint64_t value() const { return state_; }

private:
    std::uint64_t state_ = 0x84222325cbf29ce4ULL;
};

struct KeyWriter {
    Hasher& h;
    Point origin;

    Point rel(Point p) const { return {p.x - origin.x, p.y - origin.y}; }

    void path(const Path& p) {
        h.add(static_cast<std::uint64_t>(p.elements().size()));
        for (const auto& e : p.elements()) {
            h.add(static_cast<std::uint64_t>(e.verb));
            const int points = e.verb == Path::Verb::close   ? 0
                               : e.verb == Path::Verb::quad  ? 2
                               : e.verb == Path::Verb::cubic ? 3
                                                             : 1;
            for (int i = 0; i < points; ++i) h.add(rel(e.p[i]));
        }
    }
    void paint(const std::optional<Paint>& p) {
        if (!p) {
            h.add(std::uint64_t{0});
            return;
        }
        h.add(static_cast<std::uint64_t>(p->kind) + 1);
        h.add(p->color);
        for (const auto& s : p->stops) {
            h.add(s.color);
            h.add(s.location);
        }
        h.add(rel(p->start));
        h.add(rel(p->end));
        h.add(p->startRadius);
        h.add(p->endRadius);
    }
    void transform(const Transform& t) {
        if (t.isIdentity()) {
            h.add(std::uint64_t{1});
            return;
        }
        const Transform r = Transform::translation(origin.x, origin.y)
                                .then(t)
                                .then(Transform::translation(-origin.x, -origin.y));
        for (double v : {r.m11, r.m12, r.m13, r.m21, r.m22, r.m23, r.m31, r.m32, r.m33}) h.add(v);
    }
    void item(const DisplayItem& i, bool outer) {
        h.add(static_cast<std::uint64_t>(i.kind));
        if (!outer) {
            transform(i.transform);
            h.add(i.opacity);
            if (i.shadow) {
                h.add(i.shadow->color);
                h.add(i.shadow->radius);
                h.add(i.shadow->x);
                h.add(i.shadow->y);
            }
        }
        if (i.clip) {
            path(*i.clip);
            h.add(static_cast<std::uint64_t>(i.clipAntialiased));
        }
        if (i.mask) item(*i.mask, false);
        h.add(i.blurRadius);
        h.add(static_cast<std::uint64_t>(i.blurOpaque));
        h.add(i.saturation.value_or(-1));
        h.add(static_cast<std::uint64_t>(i.cachesLayer) |
              (static_cast<std::uint64_t>(i.embedded != nullptr) << 1));
        switch (i.kind) {
            case DisplayItem::Kind::group: break;
            case DisplayItem::Kind::shape:
                path(i.path);
                paint(i.fill);
                paint(i.strokePaint);
                h.add(i.stroke.lineWidth);
                h.add(static_cast<std::uint64_t>(i.stroke.lineCap) * 16 +
                      static_cast<std::uint64_t>(i.stroke.lineJoin));
                h.add(i.stroke.miterLimit);
                for (double d : i.stroke.dash) h.add(d);
                h.add(i.stroke.dashPhase);
                h.add(static_cast<std::uint64_t>(i.strokeInside));
                break;
            case DisplayItem::Kind::text:
            case DisplayItem::Kind::symbol:
                for (const auto& r : i.runs) {
                    h.add(static_cast<std::uint64_t>(r.font.face) * 1000 +
                          static_cast<std::uint64_t>(r.font.weight));
                    h.add(r.font.size);
                    h.add(r.text);
                    h.add(rel(r.origin));
                    h.add(r.width);
                    h.add(r.embolden);
                }
                paint(i.textPaint);
                break;
            case DisplayItem::Kind::image:
                h.add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(i.image.pixels.get())));
                h.add(static_cast<std::uint64_t>(i.image.width) << 32 |
                      static_cast<std::uint32_t>(i.image.height));
                h.add(Rect{rel(i.imageRect.origin), i.imageRect.size});
                h.add(static_cast<std::uint64_t>(i.interpolation));
                break;
        }
        h.add(static_cast<std::uint64_t>(i.children.size()));
        for (const auto& c : i.children) item(c, false);
    }
};

// Whether every pixel of a picture is opaque (pictures never change: the answer is kept).
bool isOpaque(const platform::Image& picture) {
    if (picture.isEmpty()) return false;
    struct Known {
        std::weak_ptr<const std::vector<std::uint8_t>> pixels;
        bool opaque;
    };
    static auto* known = new std::vector<Known>;  // main thread only, as all drawing
    for (const auto& k : *known)
        if (!k.pixels.expired() && k.pixels.lock() == picture.pixels) return k.opaque;
    bool opaque = true;
    const auto& px = *picture.pixels;
    for (std::size_t i = 3; i < px.size() && opaque; i += 4) opaque = px[i] == 255;
    std::erase_if(*known, [](const Known& k) { return k.pixels.expired(); });
    if (known->size() >= 16) known->erase(known->begin());
    known->push_back({picture.pixels, opaque});
    return opaque;
}

// Whether `item` draws an opaque fill of exactly `outline` (or an opaque picture over all of
// it) that nothing in between hides or moves (transforms, translucency, masks, blurs or a
// narrower clip).
bool coversOpaquely(const DisplayItem& item, const Path& outline) {
    if (!item.transform.isIdentity() || item.opacity < 1 || item.mask || item.blurRadius > 0) return false;
    if (item.clip && !(*item.clip == outline)) return false;
    if (item.kind == DisplayItem::Kind::shape && item.fill && item.fill->kind == Paint::Kind::solid &&
        item.fill->color.a >= 1 && item.path == outline)
        return true;
    if (item.kind == DisplayItem::Kind::image && !item.saturation && isOpaque(item.image)) {
        // (Where its edges run along the outline, they soften it by a fraction of a pixel, which
        // the shadow's blur does not show.)
        const Rect b = outline.controlBounds(), r = item.imageRect;
        constexpr double slack = 1e-6;
        if (r.minX() <= b.minX() + slack && r.minY() <= b.minY() + slack && r.maxX() >= b.maxX() - slack &&
            r.maxY() >= b.maxY() - slack)
            return true;
    }
    for (const auto& c : item.children)
        if (coversOpaquely(c, outline)) return true;
    return false;
}

}  // namespace

bool effectsAlike(const DisplayItem& a, const DisplayItem& b) {
    if (!(a.transform == b.transform) || a.opacity != b.opacity || a.clipAntialiased != b.clipAntialiased ||
        !sameShadow(a.shadow, b.shadow) || a.blurRadius != b.blurRadius || a.blurOpaque != b.blurOpaque ||
        a.saturation != b.saturation || a.cachesLayer != b.cachesLayer ||
        (a.embedded != nullptr) != (b.embedded != nullptr))
        return false;
    if (a.clip != b.clip) return false;
    if ((a.mask != nullptr) != (b.mask != nullptr)) return false;
    return !a.mask || a.mask == b.mask || contentKey(*a.mask, {}) == contentKey(*b.mask, {});
}

bool drawsAlike(const DisplayItem& a, const DisplayItem& b) {
    if (a.kind != b.kind || !effectsAlike(a, b)) return false;
    switch (a.kind) {
        case DisplayItem::Kind::group: return true;
        case DisplayItem::Kind::shape:
            return a.path == b.path && samePaint(a.fill, b.fill) && samePaint(a.strokePaint, b.strokePaint) &&
                   a.stroke == b.stroke && a.strokeInside == b.strokeInside;
        case DisplayItem::Kind::text:
        case DisplayItem::Kind::symbol:
            return sameRuns(a.runs, b.runs) && samePaint(a.textPaint, b.textPaint);
        case DisplayItem::Kind::image:
            return sameImage(a.image, b.image) && a.imageRect == b.imageRect &&
                   a.interpolation == b.interpolation;
    }
    return false;
}

std::uint64_t contentKey(const DisplayItem& item, Point origin) {
    Hasher h;
    KeyWriter{h, origin}.item(item, true);
    return h.value();
}

namespace {

std::optional<ShadowSource> coverage(const DisplayItem& item);

// What an item's layer covers: its own drawing and its children's, before its own transform,
// opacity and shadow apply.
std::optional<ShadowSource> ownCoverage(const DisplayItem& item) {
    if (item.mask || item.blurRadius > 0) return std::nullopt;
    if (item.kind == DisplayItem::Kind::shape && item.children.empty()) {
        // A lone shape: a uniform fill, no stroke, nothing clipped away.
        const bool stroked =
            item.strokePaint && !item.strokePaint->isInvisible() && item.stroke.lineWidth > 0;
        if (stroked || !item.fill || item.fill->kind != Paint::Kind::solid || item.fill->color.a <= 0)
            return std::nullopt;
        if (item.clip && !(*item.clip == item.path)) return std::nullopt;
        return ShadowSource{item.path, item.fill->color.a};
    }
    if (item.kind != DisplayItem::Kind::group) return std::nullopt;
    if (item.clip) {
        // Content clipped to an outline that an opaque fill of it covers: all of it, nothing more.
        for (const auto& c : item.children)
            if (coversOpaquely(c, *item.clip)) return ShadowSource{*item.clip, 1};
        return std::nullopt;
    }
    // A modifier around one view draws what the view draws.
    if (item.children.size() == 1) return coverage(item.children.front());
    return std::nullopt;
}

// The same in the item's parent space.
std::optional<ShadowSource> coverage(const DisplayItem& item) {
    if (item.shadow || item.opacity <= 0) return std::nullopt;
    std::optional<ShadowSource> found = ownCoverage(item);
    if (!found) return std::nullopt;
    found->alpha *= item.opacity;
    if (!item.transform.isIdentity()) {
        if (!item.transform.isAffine()) return std::nullopt;
        found->outline = found->outline.transformed(item.transform);
    }
    return found;
}

}  // namespace

std::optional<ShadowSource> shadowSource(const DisplayItem& item) { return ownCoverage(item); }

}  // namespace quorlix::ui
