#include "ui/color.h"
#include "ui/block_pool.h"

#include "ui/element.h"
#include "ui/environment_keys.h"

#include <algorithm>
#include <cmath>

namespace quorlix::ui {

namespace {

Size fillingSize(const ProposedSize& p) { return p.replacingUnspecified({10, 10}); }

// Colours and gradients as views: they fill what they are offered.
class PaintElement final : public Element {
public:
    PaintElement(const BuildScope& s, ShapeStyle style)
        : Element(s, "Color"), style_(std::move(style)), scheme_(s.environment[env::colorScheme]) {}
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<PaintElement>(old);
        return style_ == o.style_ && scheme_ == o.scheme_;
    }

protected:
    Size measure(const ProposedSize& p) override { return fillingSize(p); }
    void decorate(DisplayItem& item, Point) const override {
        item.kind = DisplayItem::Kind::shape;
        item.path.addRect(item.frame);
        item.fill = Paint::resolve(style_, item.frame, scheme_);
    }

private:
    ShapeStyle style_;
    ColorScheme scheme_;
};

class PaintNode final : public Node {
public:
    explicit PaintNode(ShapeStyle style) : style_(std::move(style)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<PaintElement>(scope, style_);
    }

private:
    ShapeStyle style_;
};

Color materialColor(Material m, ColorScheme scheme) {
    // A translucent tint standing for the platform's blur-behind materials.
    static constexpr double alpha[] = {0.45, 0.6, 0.72, 0.82, 0.9};
    const double a = alpha[static_cast<int>(m)];
    return scheme == ColorScheme::dark ? Color(0.12, 0.12, 0.13, a) : Color(0.96, 0.96, 0.97, a);
}

}  // namespace

Color Color::mix(const Color& o, double t) const {
    return {r + (o.r - r) * t, g + (o.g - g) * t, b + (o.b - b) * t, a + (o.a - a) * t};
}

View Color::makeView() const { return View(blocks::makeShared<PaintNode>(*this)); }
View LinearGradient::makeView() const { return View(blocks::makeShared<PaintNode>(*this)); }
View RadialGradient::makeView() const { return View(blocks::makeShared<PaintNode>(*this)); }

Gradient::Gradient(std::initializer_list<Color> colors) {
    const std::size_t n = colors.size();
    std::size_t i = 0;
    for (const Color& c : colors) {
        stops.push_back({c, n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0});
        ++i;
    }
}

Paint Paint::resolve(const ShapeStyle& style, const Rect& bounds, ColorScheme scheme) {
    const Color primary = scheme == ColorScheme::dark ? Color::white : Color::black;
    struct Visitor {
        const Rect& bounds;
        ColorScheme scheme;
        Color primary;
        Paint operator()(const Color& c) const { return solid(c); }
        Paint operator()(const LinearGradient& g) const {
            Paint p;
            p.kind = Kind::linear;
            p.stops = g.gradient.stops;
            p.start = g.startPoint.in(bounds);
            p.end = g.endPoint.in(bounds);
            return p;
        }
        Paint operator()(const RadialGradient& g) const {
            Paint p;
            p.kind = Kind::radial;
            p.stops = g.gradient.stops;
            p.start = g.center.in(bounds);
            p.startRadius = g.startRadius;
            p.endRadius = g.endRadius;
            return p;
        }
        Paint operator()(Material m) const { return solid(materialColor(m, scheme)); }
        Paint operator()(HierarchicalStyle h) const {
            static constexpr double level[] = {1.0, 0.55, 0.25, 0.1};
            return solid(primary.opacity(level[static_cast<int>(h)]));
        }
    };
    return std::visit(Visitor{bounds, scheme, primary}, style.value());
}

bool Paint::isInvisible() const {
    if (kind == Kind::solid) return color.a <= 0;
    return std::all_of(stops.begin(), stops.end(), [](const GradientStop& s) { return s.color.a <= 0; });
}

}  // namespace quorlix::ui
