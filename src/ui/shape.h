#pragma once
// Shapes: outlines for a rectangle. A shape is a view (filled with the foreground style, taking
// all the space it is offered) and can be filled, stroked, stroked inside its border, trimmed,
// and used to clip or as a hit area. A shape of our own is a struct with `path(rect)`:
//
//     struct Wedge : ui::ShapeBase<Wedge> {
//         double depth = 4;
//         Path path(const Rect& r) const;
//         AnimatableData animatableData() const { return {depth}; }          // optional
//         void setAnimatableData(const AnimatableData& d) { depth = d[0]; }  // optional
//     };
//     Wedge{.depth = 6}.fill(Color::white)
//
// Animatable data are the shape's parameters as numbers, so an animation can interpolate them.

#include "ui/color.h"
#include "ui/path.h"
#include "ui/view.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix::ui {

using AnimatableData = std::vector<double>;

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };
enum class RoundedCornerStyle { circular, continuous };

struct StrokeStyle {
    double lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
    std::vector<double> dash;
    double dashPhase = 0;
    friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

template <class S>
concept IsShape = requires(const S& s, const Rect& r) {
    { s.path(r) } -> std::same_as<Path>;
};
template <class S>
concept HasAnimatableData = requires(const S& s, S& m, const AnimatableData& d) {
    { s.animatableData() } -> std::convertible_to<AnimatableData>;
    m.setAnimatableData(d);
};

class ShapeModel {
public:
    virtual ~ShapeModel() = default;
    virtual Path path(const Rect& rect) const = 0;
    virtual AnimatableData animatableData() const = 0;
    virtual std::shared_ptr<const ShapeModel> withAnimatableData(const AnimatableData& data) const = 0;
    virtual const char* name() const = 0;
    // Whether `other` draws the same outline in every rectangle, where the shapes' values tell
    // it (shapes with a `sameShape`); otherwise unknown, and their paths are compared.
    virtual std::optional<bool> sameShape(const ShapeModel& other) const = 0;
};

template <class S>
class ShapeModelOf final : public ShapeModel {
public:
    explicit ShapeModelOf(S shape) : shape_(std::move(shape)) {}
    Path path(const Rect& rect) const override { return shape_.path(rect); }
    AnimatableData animatableData() const override {
        if constexpr (HasAnimatableData<S>) return shape_.animatableData();
        else return {};
    }
    std::shared_ptr<const ShapeModel> withAnimatableData(const AnimatableData& data) const override {
        S copy = shape_;
        if constexpr (HasAnimatableData<S>) copy.setAnimatableData(data);
        return std::make_shared<ShapeModelOf<S>>(std::move(copy));
    }
    const char* name() const override { return typeid(S).name(); }
    std::optional<bool> sameShape(const ShapeModel& other) const override {
        if constexpr (requires(const S& a) { a.sameShape(a); }) {
            const auto* o = dynamic_cast<const ShapeModelOf<S>*>(&other);
            return o && shape_.sameShape(o->shape_);
        } else {
            return std::nullopt;
        }
    }
    const S& shape() const { return shape_; }

private:
    S shape_;
};

// A type-erased shape, such as the island's outline chosen at render time.
class AnyShape;

template <class Self>
class ShapeBase : public ViewModifiers<Self> {
public:
    View fill(const ShapeStyle& style) const;
    View stroke(const ShapeStyle& style, double lineWidth = 1) const;
    View stroke(const ShapeStyle& style, const StrokeStyle& stroke) const;
    // A stroke that stays inside the outline (the platform's `strokeBorder`).
    View strokeBorder(const ShapeStyle& style, double lineWidth = 1) const;
    View strokeBorder(const ShapeStyle& style, const StrokeStyle& stroke) const;
    AnyShape trim(double from, double to) const;
    // A bare shape is filled with the foreground style.
    View makeView() const;
};

class AnyShape : public ShapeBase<AnyShape> {
public:
    template <class S>
        requires(IsShape<S> && !std::same_as<S, AnyShape>)
    AnyShape(S shape) : model_(std::make_shared<ShapeModelOf<S>>(std::move(shape))) {}  // NOLINT
    explicit AnyShape(std::shared_ptr<const ShapeModel> model) : model_(std::move(model)) {}

    Path path(const Rect& rect) const { return model_->path(rect); }
    AnimatableData animatableData() const { return model_->animatableData(); }
    AnyShape withAnimatableData(const AnimatableData& d) const { return AnyShape(model_->withAnimatableData(d)); }
    const std::shared_ptr<const ShapeModel>& model() const { return model_; }
    // The concrete shape, when it is of type S.
    template <class S>
    const S* as() const {
        auto* m = dynamic_cast<const ShapeModelOf<S>*>(model_.get());
        return m ? &m->shape() : nullptr;
    }

private:
    std::shared_ptr<const ShapeModel> model_;
};

struct Rectangle : ShapeBase<Rectangle> {
    Path path(const Rect& r) const;
    bool sameShape(const Rectangle&) const { return true; }
};

struct RoundedRectangle : ShapeBase<RoundedRectangle> {
    double cornerRadius = 0;
    RoundedCornerStyle style = RoundedCornerStyle::circular;
    RoundedRectangle(double radius, RoundedCornerStyle s = RoundedCornerStyle::circular) : cornerRadius(radius), style(s) {}
    Path path(const Rect& r) const;
    bool sameShape(const RoundedRectangle& o) const {
        return cornerRadius == o.cornerRadius && style == o.style;
    }
    AnimatableData animatableData() const { return {cornerRadius}; }
    void setAnimatableData(const AnimatableData& d) { cornerRadius = d.at(0); }
};

struct Capsule : ShapeBase<Capsule> {
    RoundedCornerStyle style = RoundedCornerStyle::circular;
    Capsule(RoundedCornerStyle s = RoundedCornerStyle::circular) : style(s) {}  // NOLINT
    Path path(const Rect& r) const;
    bool sameShape(const Capsule& o) const { return style == o.style; }
};

struct Circle : ShapeBase<Circle> {
    Path path(const Rect& r) const;
    bool sameShape(const Circle&) const { return true; }
};

struct Ellipse : ShapeBase<Ellipse> {
    Path path(const Rect& r) const;
    bool sameShape(const Ellipse&) const { return true; }
};

// A part of another shape's outline, between two fractions of its length.
struct TrimmedShape : ShapeBase<TrimmedShape> {
    AnyShape base;
    double from = 0;
    double to = 1;
    TrimmedShape(AnyShape b, double f, double t) : base(std::move(b)), from(f), to(t) {}
    Path path(const Rect& r) const { return base.path(r).trimmed(from, to); }
    AnimatableData animatableData() const;
    void setAnimatableData(const AnimatableData& d);
};

namespace modifier {
enum class ShapeDrawing { foreground, fill, stroke, strokeBorder };
View shapeView(const AnyShape& shape, ShapeDrawing drawing, const ShapeStyle* style, const StrokeStyle& stroke);
}  // namespace modifier

template <class Self>
View ShapeBase<Self>::fill(const ShapeStyle& style) const {
    return modifier::shapeView(AnyShape(static_cast<const Self&>(*this)), modifier::ShapeDrawing::fill, &style, {});
}
template <class Self>
View ShapeBase<Self>::stroke(const ShapeStyle& style, double lineWidth) const {
    return stroke(style, StrokeStyle{.lineWidth = lineWidth});
}
template <class Self>
View ShapeBase<Self>::stroke(const ShapeStyle& style, const StrokeStyle& s) const {
    return modifier::shapeView(AnyShape(static_cast<const Self&>(*this)), modifier::ShapeDrawing::stroke, &style, s);
}
template <class Self>
View ShapeBase<Self>::strokeBorder(const ShapeStyle& style, double lineWidth) const {
    return strokeBorder(style, StrokeStyle{.lineWidth = lineWidth});
}
template <class Self>
View ShapeBase<Self>::strokeBorder(const ShapeStyle& style, const StrokeStyle& s) const {
    return modifier::shapeView(AnyShape(static_cast<const Self&>(*this)), modifier::ShapeDrawing::strokeBorder, &style,
                               s);
}
template <class Self>
AnyShape ShapeBase<Self>::trim(double from, double to) const {
    return AnyShape(TrimmedShape(AnyShape(static_cast<const Self&>(*this)), from, to));
}
template <class Self>
View ShapeBase<Self>::makeView() const {
    return modifier::shapeView(AnyShape(static_cast<const Self&>(*this)), modifier::ShapeDrawing::foreground, nullptr,
                               {});
}

}  // namespace quorlix::ui
