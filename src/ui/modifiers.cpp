// The modifiers: layout (frames, padding, fixed size, aspect ratio, backgrounds and overlays),
// drawing effects, environment writes, identity and preferences.

#include "ui/block_pool.h"
#include "ui/display_compare.h"
#include "ui/element.h"
#include "ui/environment_keys.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

Point aligned(Alignment a, Size outer, Size inner) { return alignedOrigin(a, outer, inner); }

// ---- Frames ----

class FixedFrameElement final : public Element {
public:
    FixedFrameElement(const BuildScope& s, std::optional<double> w, std::optional<double> h, Alignment a)
        : Element(s, "frame"), width_(w), height_(h), alignment_(a) {}

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        const Size own = sizeThatFits(p);
        const ProposedSize cp = childProposal(own);
        auto b = child()->baseline(cp, last);
        if (!b) return std::nullopt;
        return aligned(alignment_, own, child()->sizeThatFits(cp)).y + *b;
    }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<FixedFrameElement>(old);
        return width_ == o.width_ && height_ == o.height_ && alignment_ == o.alignment_;
    }

protected:
    ProposedSize childProposal(const ProposedSize& p) const {
        return {width_ ? width_ : p.width, height_ ? height_ : p.height};
    }
    Size measure(const ProposedSize& p) override {
        const Size c = child()->sizeThatFits(childProposal(p));
        return {width_.value_or(c.width), height_.value_or(c.height)};
    }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits(childProposal(size));
        child()->place({aligned(alignment_, size, c), c});
    }

private:
    std::optional<double> width_, height_;
    Alignment alignment_;
};

struct FlexAxis {
    std::optional<double> min, ideal, max;
    friend bool operator==(const FlexAxis&, const FlexAxis&) = default;
    bool active() const { return min || ideal || max; }

    std::optional<double> propose(std::optional<double> p) const {
        if (!p) return ideal;
        double v = *p;
        if (min) v = std::max(*min, v);
        if (max) v = std::min(*max, v);
        return v;
    }
    double resolve(std::optional<double> p, double childLength) const {
        if (!min && !max) return !p && ideal ? *ideal : childLength;
        const std::optional<double> pv = p ? p : ideal;
        double r = childLength;
        if (!pv) {
            if (min) r = std::max(*min, r);
            if (max) r = std::min(*max, r);
            return r;
        }
        if (min) r = std::max(*min, std::min(r, *pv));
        if (max) r = std::min(*max, std::max(r, *pv));
        return r;
    }
};

class FlexFrameElement final : public Element {
public:
    FlexFrameElement(const BuildScope& s, FlexAxis h, FlexAxis v, Alignment a)
        : Element(s, "flexFrame"), h_(h), v_(v), alignment_(a) {}

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        const Size own = sizeThatFits(p);
        const ProposedSize cp{h_.propose(own.width), v_.propose(own.height)};
        auto b = child()->baseline(cp, last);
        if (!b) return std::nullopt;
        return aligned(alignment_, own, child()->sizeThatFits(cp)).y + *b;
    }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<FlexFrameElement>(old);
        return h_ == o.h_ && v_ == o.v_ && alignment_ == o.alignment_;
    }

protected:
    Size measure(const ProposedSize& p) override {
        const Size c = child()->sizeThatFits({h_.propose(p.width), v_.propose(p.height)});
        return {h_.resolve(p.width, c.width), v_.resolve(p.height, c.height)};
    }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits({h_.propose(size.width), v_.propose(size.height)});
        child()->place({aligned(alignment_, size, c), c});
    }

private:
    FlexAxis h_, v_;
    Alignment alignment_;
};

// ---- Padding, fixed size, aspect ratio, priority ----

std::optional<double> shrink(std::optional<double> v, double by) {
    if (!v) return v;
    return std::max(0.0, *v - by);
}

class PaddingElement final : public Element {
public:
    PaddingElement(const BuildScope& s, EdgeInsets insets) : Element(s, "padding"), insets_(insets) {}

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        auto b = child()->baseline(inner(p), last);
        return b ? std::optional(*b + insets_.top) : std::nullopt;
    }
    bool sameAs(const Element& old) const override {
        const EdgeInsets& o = sameType<PaddingElement>(old).insets_;
        return insets_.top == o.top && insets_.leading == o.leading && insets_.bottom == o.bottom &&
               insets_.trailing == o.trailing;
    }

protected:
    ProposedSize inner(const ProposedSize& p) const {
        return {shrink(p.width, insets_.leading + insets_.trailing), shrink(p.height, insets_.top + insets_.bottom)};
    }
    Size measure(const ProposedSize& p) override {
        const Size c = child()->sizeThatFits(inner(p));
        return {c.width + insets_.leading + insets_.trailing, c.height + insets_.top + insets_.bottom};
    }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits(inner(size));
        child()->place({{insets_.leading, insets_.top}, c});
    }

private:
    EdgeInsets insets_;
};

class FixedSizeElement final : public Element {
public:
    FixedSizeElement(const BuildScope& s, bool h, bool v) : Element(s, "fixedSize"), h_(h), v_(v) {}
    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        return child()->baseline(inner(p), last);
    }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<FixedSizeElement>(old);
        return h_ == o.h_ && v_ == o.v_;
    }

protected:
    ProposedSize inner(const ProposedSize& p) const {
        return {h_ ? std::nullopt : p.width, v_ ? std::nullopt : p.height};
    }
    Size measure(const ProposedSize& p) override { return child()->sizeThatFits(inner(p)); }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits(inner(size));
        child()->place({aligned(Alignment::center, size, c), c});
    }

private:
    bool h_, v_;
};

class AspectRatioElement final : public Element {
public:
    AspectRatioElement(const BuildScope& s, std::optional<double> ratio, ContentMode mode)
        : Element(s, "aspectRatio"), ratio_(ratio), mode_(mode) {}
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<AspectRatioElement>(old);
        return ratio_ == o.ratio_ && mode_ == o.mode_;
    }

protected:
    ProposedSize inner(const ProposedSize& p) {
        double r = ratio_.value_or(0);
        if (!ratio_) {
            const Size ideal = child()->sizeThatFits(ProposedSize::unspecified());
            r = ideal.height > 0 ? ideal.width / ideal.height : 1;
        }
        if (r <= 0 || !std::isfinite(r)) return p;
        if (p.width && p.height) {
            const double w = *p.width, h = *p.height;
            const bool wider = w / h > r;
            if ((mode_ == ContentMode::fit) == wider) return Size{h * r, h};
            return Size{w, w / r};
        }
        if (p.width) return Size{*p.width, *p.width / r};
        if (p.height) return Size{*p.height * r, *p.height};
        const Size ideal = child()->sizeThatFits(ProposedSize::unspecified());
        return Size{ideal.width, ideal.width / r};
    }
    Size measure(const ProposedSize& p) override { return child()->sizeThatFits(inner(p)); }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits(inner(size));
        child()->place({aligned(Alignment::center, size, c), c});
    }

private:
    std::optional<double> ratio_;
    ContentMode mode_;
};

class PriorityElement final : public Element {
public:
    PriorityElement(const BuildScope& s, double priority) : Element(s, "layoutPriority"), priority_(priority) {}
    double layoutPriority() const override { return priority_; }
    bool sameAs(const Element& old) const override {
        return priority_ == sameType<PriorityElement>(old).priority_;
    }

protected:
    Size measure(const ProposedSize& p) override { return child()->sizeThatFits(p); }

private:
    double priority_;
};

class PositionElement final : public Element {
public:
    PositionElement(const BuildScope& s, double x, double y) : Element(s, "position"), x_(x), y_(y) {}
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<PositionElement>(old);
        return x_ == o.x_ && y_ == o.y_;
    }

protected:
    Size measure(const ProposedSize& p) override { return p.replacingUnspecified(child()->sizeThatFits(p)); }
    void placeChildren(Size size) override {
        const Size c = child()->sizeThatFits(size);
        child()->place({{x_ - c.width / 2, y_ - c.height / 2}, c});
    }

private:
    double x_, y_;
};

// ---- Backgrounds, overlays and masks ----

enum class Secondary { background, overlay, mask };

class LayeredElement final : public Element {
public:
    LayeredElement(const BuildScope& s, Secondary kind, Alignment a)
        : Element(s, kind == Secondary::background ? "background" : kind == Secondary::overlay ? "overlay" : "mask"),
          kind_(kind),
          alignment_(a) {}

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        return children.front()->baseline(p, last);
    }
    double layoutPriority() const override { return children.front()->layoutPriority(); }
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<LayeredElement>(old);
        return kind_ == o.kind_ && alignment_ == o.alignment_;
    }

    void renderItem(DisplayItem& parent, Point parentOrigin) const override {
        DisplayItem item = makeItem(parentOrigin);
        const Element& content = *children[0];
        const Element& second = *children[1];
        if (kind_ == Secondary::mask) {
            content.render(item, item.frame.origin);
            DisplayItem maskGroup;
            maskGroup.role = "maskContent";
            maskGroup.frame = item.frame;
            second.render(maskGroup, item.frame.origin);
            item.mask = std::make_shared<DisplayItem>(std::move(maskGroup));
        } else if (kind_ == Secondary::background) {
            second.render(item, item.frame.origin);
            content.render(item, item.frame.origin);
        } else {
            content.render(item, item.frame.origin);
            second.render(item, item.frame.origin);
        }
        parent.children.push_back(std::move(item));
    }

protected:
    Size measure(const ProposedSize& p) override { return children.front()->sizeThatFits(p); }
    void placeChildren(Size size) override {
        children[0]->sizeThatFits(size);
        children[0]->place({{0, 0}, size});
        const Size s = children[1]->sizeThatFits(size);
        children[1]->place({aligned(alignment_, size, s), s});
    }

private:
    Secondary kind_;
    Alignment alignment_;
};

class LayeredNode final : public Node {
public:
    LayeredNode(View content, View second, Secondary kind, Alignment a)
        : content_(std::move(content)), second_(std::move(second)), kind_(kind), alignment_(a) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto e = std::make_unique<LayeredElement>(scope, kind_, alignment_);
        e->add(buildElement(content_.node(), scope.child(1)));
        e->add(buildElement(second_.node(), scope.child(2)));
        return e;
    }

private:
    View content_, second_;
    Secondary kind_;
    Alignment alignment_;
};

// ---- Drawing effects ----

// A geometry effect made of a function of the view's size and the effect's parameters.
class FunctionEffect final : public GeometryEffect {
public:
    using Make = std::function<Transform(Size, const AnimatableData&)>;
    explicit FunctionEffect(Make make) : make_(std::move(make)) {}
    Transform transform(Size size, const AnimatableData& p) const override { return make_(size, p); }

private:
    Make make_;
};

class TransformElement final : public PassElement {
public:
    TransformElement(const BuildScope& s, const char* role, std::shared_ptr<const GeometryEffect> effect,
                     AnimatableData parameters)
        : PassElement(s, role), effect_(std::move(effect)), parameters_(std::move(parameters)) {}
    Transform effectTransform() const override { return effect_->transform(frame.size, parameters_); }
    // The same effect with the same parameters makes the same transform where it was drawn
    // (elsewhere it draws anew anyway).
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<TransformElement>(old);
        return role == o.role && parameters_ == o.parameters_ &&
               effect_->transform(o.frame.size, parameters_) == o.effectTransform();
    }

protected:
    void decorate(DisplayItem& item, Point) const override {
        item.effect = effect_;
        item.effectParameters = parameters_;
    }

private:
    std::shared_ptr<const GeometryEffect> effect_;
    AnimatableData parameters_;
};

class DecorateElement final : public PassElement {
public:
    using Apply = std::function<void(DisplayItem&)>;
    DecorateElement(const BuildScope& s, const char* role, Apply apply) : PassElement(s, role), apply_(std::move(apply)) {}
    // Alike when its effects, applied where the old one was drawn, come out the same (a new
    // frame draws anew anyway).
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<DecorateElement>(old);
        if (role != o.role) return false;
        DisplayItem mine, theirs;
        mine.frame = theirs.frame = o.drawnFrame();
        apply_(mine);
        o.apply_(theirs);
        return effectsAlike(mine, theirs) && (mine.clipShape == nullptr) == (theirs.clipShape == nullptr) &&
               mine.contentShape == theirs.contentShape && mine.help == theirs.help;
    }

protected:
    void decorate(DisplayItem& item, Point) const override { apply_(item); }

private:
    Apply apply_;
};

View decorated(View v, const char* role, DecorateElement::Apply apply) {
    return wrap(std::move(v), [role, apply = std::move(apply)](const BuildScope& s) {
        return std::make_unique<DecorateElement>(s, role, apply);
    });
}

View transformed(View v, const char* role, AnimatableData parameters, FunctionEffect::Make make) {
    auto effect = std::make_shared<const FunctionEffect>(std::move(make));
    return wrap(std::move(v), [role, effect, parameters = std::move(parameters)](const BuildScope& s) {
        return std::make_unique<TransformElement>(s, role, effect, parameters);
    });
}

// ---- Environment ----

class EnvironmentNode final : public Node {
public:
    using Write = std::function<EnvironmentValues(const EnvironmentValues&)>;
    EnvironmentNode(View content, Write write) : content_(std::move(content)), write_(std::move(write)) {}
    bool isEmpty() const override { return content_.isEmpty(); }
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return buildElement(content_.node(), scope.withEnvironment(write_(scope.environment)));
    }
    void expand(const BuildScope& scope, std::uint64_t key, std::vector<std::unique_ptr<Element>>& out) const override {
        // Applies to each view of a group.
        content_.node()->expand(scope.withEnvironment(write_(scope.environment)), key, out);
    }

private:
    View content_;
    Write write_;
};

// ---- Identity ----

class IdElement final : public PassElement {
public:
    explicit IdElement(const BuildScope& s) : PassElement(s, "id") {}
    bool sameAs(const Element&) const override { return true; }
};

class IdNode final : public Node {
public:
    IdNode(View content, std::uint64_t hash) : content_(std::move(content)), hash_(hash) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        // The explicit id is part of the identity, so a new id makes a new view.
        BuildScope mine = scope;
        mine.identity = scope.identity.child(hash_ ^ 0x1d1d1d1d1d1d1d1dULL);
        auto e = std::make_unique<IdElement>(mine);
        e->explicitId = hash_;
        e->add(buildElement(content_.node(), mine.child(1)));
        return e;
    }

private:
    View content_;
    std::uint64_t hash_;
};

// ---- Preferences ----

class PreferenceElement final : public PassElement {
public:
    using Value = std::function<std::shared_ptr<const void>(const PreferenceElement&)>;
    PreferenceElement(const BuildScope& s, const PreferenceKeyBase& key, Value value)
        : PassElement(s, "preference"), key_(key), value_(std::move(value)) {}
    void collectPreferences(PreferenceValues& out) const override {
        Element::collectPreferences(out);
        out.set(&key_, value_(*this));
    }

private:
    const PreferenceKeyBase& key_;
    Value value_;
};

class PreferenceReaderElement final : public Element {
public:
    PreferenceReaderElement(const BuildScope& s, const PreferenceKeyBase& key,
                            std::function<View(const void*)> content, bool background)
        : Element(s, background ? "backgroundPreferenceValue" : "overlayPreferenceValue"),
          scope_(s),
          key_(key),
          content_(std::move(content)),
          background_(background) {}

    std::optional<double> baseline(const ProposedSize& p, bool last) override {
        return children.front()->baseline(p, last);
    }
    bool placesAtEveryRender() const override { return true; }
    bool buildsAgainAtEveryRender(const Element& child) const override {
        return &child != children.front().get();
    }
    void collectKeys(std::vector<std::uint64_t>& out) const override {
        Element::collectKeys(out);
        out.insert(out.end(), contentKeys_.begin(), contentKeys_.end());
    }
    void renderItem(DisplayItem& parent, Point parentOrigin) const override {
        DisplayItem item = makeItem(parentOrigin);
        if (background_ && children.size() > 1) children[1]->render(item, item.frame.origin);
        children[0]->render(item, item.frame.origin);
        if (!background_ && children.size() > 1) children[1]->render(item, item.frame.origin);
        parent.children.push_back(std::move(item));
    }

protected:
    Size measure(const ProposedSize& p) override { return children.front()->sizeThatFits(p); }
    void placeChildren(Size size) override {
        // The secondary view of the last render goes, with what it used.
        if (children.size() > 1) {
            if (services) {
                children[1]->collectKeys(services->released);
                services->released.insert(services->released.end(), contentKeys_.begin(), contentKeys_.end());
            }
            children.resize(1);
        }
        contentKeys_.clear();
        children[0]->sizeThatFits(size);
        children[0]->place({{0, 0}, size});
        // The secondary view is made from the content's preferences, known only once it is placed.
        PreferenceValues values;
        children[0]->collectPreferences(values);
        const auto* found = values.find(&key_);
        const View view = content_(found ? found->get() : key_.defaultValue());
        const BuildingFor building(services, owner, &contentKeys_);
        Element* second = add(buildElement(view.node(), scope_.child(2).withAnimation(currentAnimation())));
        const Size s = second->sizeThatFits(size);
        second->place({aligned(Alignment::center, size, s), s});
    }

private:
    BuildScope scope_;
    const PreferenceKeyBase& key_;
    std::function<View(const void*)> content_;
    bool background_;
    std::unordered_set<std::uint64_t> contentKeys_;
};

class PreferenceReaderNode final : public Node {
public:
    PreferenceReaderNode(View content, const PreferenceKeyBase& key, std::function<View(const void*)> read,
                         bool background)
        : content_(std::move(content)), key_(key), read_(std::move(read)), background_(background) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        auto e = std::make_unique<PreferenceReaderElement>(scope, key_, read_, background_);
        e->add(buildElement(content_.node(), scope.child(1)));
        return e;
    }

private:
    View content_;
    const PreferenceKeyBase& key_;
    std::function<View(const void*)> read_;
    bool background_;
};

Path shapePath(const AnyShape& shape, const Rect& frame) { return shape.path(frame); }

}  // namespace

namespace modifier {

View frame(View v, const Frame& f) {
    const FlexAxis h{f.minWidth, f.idealWidth, f.maxWidth}, vert{f.minHeight, f.idealHeight, f.maxHeight};
    if (h.active() || vert.active()) {
        v = wrap(std::move(v), [h, vert, a = f.alignment](const BuildScope& s) {
            return std::make_unique<FlexFrameElement>(s, h, vert, a);
        });
    }
    if (f.width || f.height) {
        v = wrap(std::move(v), [w = f.width, ht = f.height, a = f.alignment](const BuildScope& s) {
            return std::make_unique<FixedFrameElement>(s, w, ht, a);
        });
    }
    return v;
}

View padding(View v, const EdgeInsets& insets) {
    return wrap(std::move(v), [insets](const BuildScope& s) { return std::make_unique<PaddingElement>(s, insets); });
}

View fixedSize(View v, bool horizontal, bool vertical) {
    return wrap(std::move(v), [horizontal, vertical](const BuildScope& s) {
        return std::make_unique<FixedSizeElement>(s, horizontal, vertical);
    });
}

View aspectRatio(View v, std::optional<double> ratio, ContentMode mode) {
    return wrap(std::move(v),
                [ratio, mode](const BuildScope& s) { return std::make_unique<AspectRatioElement>(s, ratio, mode); });
}

View layoutPriority(View v, double priority) {
    return wrap(std::move(v), [priority](const BuildScope& s) { return std::make_unique<PriorityElement>(s, priority); });
}

View position(View v, double x, double y) {
    return wrap(std::move(v), [x, y](const BuildScope& s) { return std::make_unique<PositionElement>(s, x, y); });
}

View background(View v, View content, Alignment alignment) {
    return View(
        blocks::makeShared<LayeredNode>(std::move(v), std::move(content), Secondary::background, alignment));
}

View overlay(View v, View content, Alignment alignment) {
    return View(
        blocks::makeShared<LayeredNode>(std::move(v), std::move(content), Secondary::overlay, alignment));
}

View mask(View v, View content, Alignment alignment) {
    return View(
        blocks::makeShared<LayeredNode>(std::move(v), std::move(content), Secondary::mask, alignment));
}

View offset(View v, double x, double y) {
    return transformed(std::move(v), "offset", {x, y},
                       [](Size, const AnimatableData& p) { return Transform::translation(p[0], p[1]); });
}

View opacity(View v, double value) {
    value = std::clamp(value, 0.0, 1.0);
    return decorated(std::move(v), "opacity", [value](DisplayItem& i) { i.opacity = value; });
}

View clipShape(View v, const AnyShape& shape, bool antialiased) {
    return decorated(std::move(v), "clipShape", [shape, antialiased](DisplayItem& i) {
        i.clip = shapePath(shape, i.frame);
        i.clipShape = shape.model();
        i.clipAntialiased = antialiased;
    });
}

View clipped(View v) {
    return decorated(std::move(v), "clipped", [](DisplayItem& i) {
        Path p;
        p.addRect(i.frame);
        i.clip = p;
        i.clipShape = AnyShape(Rectangle()).model();
        i.clipAntialiased = false;
    });
}

View contentShape(View v, const AnyShape& shape) {
    return decorated(std::move(v), "contentShape", [shape](DisplayItem& i) { i.contentShape = shapePath(shape, i.frame); });
}

View rotationEffect(View v, Angle angle, UnitPoint anchor) {
    return transformed(std::move(v), "rotationEffect", {angle.radians}, [anchor](Size s, const AnimatableData& p) {
        return Transform::rotation({p[0]}).about(anchor.in({{0, 0}, s}));
    });
}

View rotation3DEffect(View v, Angle angle, Axis3 axis, UnitPoint anchor, double /*anchorZ*/, double perspective) {
    return transformed(std::move(v), "rotation3DEffect", {angle.radians},
                       [axis, anchor, perspective](Size s, const AnimatableData& p) {
                           return Transform::rotation3D({p[0]}, axis.x, axis.y, axis.z, perspective,
                                                        std::max(s.width, s.height))
                               .about(anchor.in({{0, 0}, s}));
                       });
}

View scaleEffect(View v, double x, double y, UnitPoint anchor) {
    return transformed(std::move(v), "scaleEffect", {x, y}, [anchor](Size s, const AnimatableData& p) {
        return Transform::scale(p[0], p[1]).about(anchor.in({{0, 0}, s}));
    });
}

View shadow(View v, const Color& color, double radius, double x, double y) {
    return decorated(std::move(v), "shadow", [color, radius, x, y](DisplayItem& i) {
        i.shadow = ShadowEffect{color, std::max(0.0, radius), x, y};
    });
}

View blur(View v, double radius, bool opaque) {
    return decorated(std::move(v), "blur", [radius, opaque](DisplayItem& i) {
        i.blurRadius = std::max(0.0, radius);
        i.blurOpaque = opaque;
    });
}

View saturation(View v, double amount) {
    return decorated(std::move(v), "saturation", [amount](DisplayItem& i) { i.saturation = amount; });
}

View cachedLayer(View v) {
    return decorated(std::move(v), "cachedLayer", [](DisplayItem& i) { i.cachesLayer = true; });
}

View environment(View v, std::function<EnvironmentValues(const EnvironmentValues&)> write) {
    return View(blocks::makeShared<EnvironmentNode>(std::move(v), std::move(write)));
}

View foregroundStyle(View v, const ShapeStyle& style) {
    return environment(std::move(v), [style](const EnvironmentValues& e) {
        return e.setting(env::foregroundStyle, std::optional<ShapeStyle>(style));
    });
}

View font(View v, const Font& f) {
    return environment(std::move(v), [f](const EnvironmentValues& e) {
        // A new font replaces the weight and digit overrides made above it.
        return e.setting(env::font, std::optional<Font>(f))
            .setting(env::fontWeight, std::optional<FontWeight>())
            .setting(env::monospacedDigit, false);
    });
}

View fontWeight(View v, FontWeight w) {
    return environment(std::move(v),
                       [w](const EnvironmentValues& e) { return e.setting(env::fontWeight, std::optional<FontWeight>(w)); });
}

View monospacedDigit(View v) {
    return environment(std::move(v), [](const EnvironmentValues& e) { return e.setting(env::monospacedDigit, true); });
}

View lineLimit(View v, std::optional<int> lines) {
    return environment(std::move(v), [lines](const EnvironmentValues& e) { return e.setting(env::lineLimit, lines); });
}

View minimumScaleFactor(View v, double factor) {
    factor = std::clamp(factor, 0.01, 1.0);
    return environment(std::move(v),
                       [factor](const EnvironmentValues& e) { return e.setting(env::minimumScaleFactor, factor); });
}

View truncationMode(View v, TruncationMode mode) {
    return environment(std::move(v), [mode](const EnvironmentValues& e) { return e.setting(env::truncationMode, mode); });
}

View multilineTextAlignment(View v, TextAlignment a) {
    return environment(std::move(v),
                       [a](const EnvironmentValues& e) { return e.setting(env::multilineTextAlignment, a); });
}

View colorScheme(View v, ColorScheme scheme) {
    return environment(std::move(v), [scheme](const EnvironmentValues& e) { return e.setting(env::colorScheme, scheme); });
}

View tint(View v, const Color& c) {
    return environment(std::move(v), [c](const EnvironmentValues& e) { return e.setting(env::tint, std::optional(c)); });
}

View symbolRenderingMode(View v, SymbolRenderingMode mode) {
    return environment(std::move(v),
                       [mode](const EnvironmentValues& e) { return e.setting(env::symbolRenderingMode, mode); });
}

View id(View v, std::uint64_t hash) { return View(blocks::makeShared<IdNode>(std::move(v), hash)); }

View help(View v, std::string text) {
    return decorated(std::move(v), "help", [text = std::move(text)](DisplayItem& i) { i.help = text; });
}

View preference(View v, const PreferenceKeyBase& key, std::shared_ptr<const void> value) {
    return wrap(std::move(v), [&key, value = std::move(value)](const BuildScope& s) {
        return std::make_unique<PreferenceElement>(s, key, [value](const PreferenceElement&) { return value; });
    });
}

View anchorPreference(View v, const PreferenceKeyBase& key,
                      std::function<std::shared_ptr<const void>(const Anchor&)> transform) {
    return wrap(std::move(v), [&key, transform = std::move(transform)](const BuildScope& s) {
        return std::make_unique<PreferenceElement>(s, key, [transform](const PreferenceElement& e) {
            return transform(Anchor{&e, {{0, 0}, e.frame.size}, e.services ? e.services->frame : nullptr});
        });
    });
}

View preferenceReader(View v, const PreferenceKeyBase& key, std::function<View(const void*)> content, bool background) {
    return View(blocks::makeShared<PreferenceReaderNode>(std::move(v), key, std::move(content), background));
}

}  // namespace modifier

}  // namespace quorlix::ui
