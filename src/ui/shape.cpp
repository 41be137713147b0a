#include "ui/shape.h"
#include "ui/block_pool.h"

#include "ui/element.h"
#include "ui/environment_keys.h"

#include <algorithm>
#include <typeinfo>

namespace quorlix::ui {

namespace {

class ShapeElement final : public Element {
public:
    ShapeElement(const BuildScope& s, AnyShape shape, modifier::ShapeDrawing drawing, ShapeStyle style,
                 StrokeStyle stroke)
        : Element(s, "Shape"),
          shape_(std::move(shape)),
          drawing_(drawing),
          style_(std::move(style)),
          stroke_(std::move(stroke)),
          scheme_(s.environment[env::colorScheme]) {}
    // The outline is compared where the old one was drawn (a new frame draws anew anyway).
    bool sameAs(const Element& old) const override {
        const auto& o = sameType<ShapeElement>(old);
        const ShapeModel &mine = *shape_.model(), &theirs = *o.shape_.model();
        if (!(drawing_ == o.drawing_ && style_ == o.style_ && stroke_ == o.stroke_ && scheme_ == o.scheme_ &&
              typeid(mine) == typeid(theirs) && mine.animatableData() == theirs.animatableData()))
            return false;
        // Shapes alike by their values draw alike: their outlines need not be made to tell.
        const std::optional<bool> same = mine.sameShape(theirs);
        return same ? *same : shape_.path(o.drawnFrame()) == o.shape_.path(o.drawnFrame());
    }

protected:
    // Shapes take the whole proposal; their ideal size is 10 × 10 as on the platform.
    Size measure(const ProposedSize& p) override { return p.replacingUnspecified({10, 10}); }
    void decorate(DisplayItem& item, Point) const override {
        item.kind = DisplayItem::Kind::shape;
        item.shape = shape_.model();
        item.path = shape_.path(item.frame);
        const Paint paint = Paint::resolve(style_, item.frame, scheme_);
        switch (drawing_) {
            case modifier::ShapeDrawing::foreground:
            case modifier::ShapeDrawing::fill: item.fill = paint; break;
            case modifier::ShapeDrawing::stroke:
            case modifier::ShapeDrawing::strokeBorder:
                item.strokePaint = paint;
                item.stroke = stroke_;
                item.strokeInside = drawing_ == modifier::ShapeDrawing::strokeBorder;
                break;
        }
    }

private:
    AnyShape shape_;
    modifier::ShapeDrawing drawing_;
    ShapeStyle style_;
    StrokeStyle stroke_;
    ColorScheme scheme_;
};

class ShapeNode final : public Node {
public:
    ShapeNode(AnyShape shape, modifier::ShapeDrawing drawing, std::optional<ShapeStyle> style, StrokeStyle stroke)
        : shape_(std::move(shape)), drawing_(drawing), style_(std::move(style)), stroke_(std::move(stroke)) {}
    std::unique_ptr<Element> build(const BuildScope& scope) const override {
        return std::make_unique<ShapeElement>(scope, shape_, drawing_,
                                              style_ ? *style_ : env::currentForeground(scope.environment), stroke_);
    }

private:
    AnyShape shape_;
    modifier::ShapeDrawing drawing_;
    std::optional<ShapeStyle> style_;
    StrokeStyle stroke_;
};

}  // namespace

View modifier::shapeView(const AnyShape& shape, ShapeDrawing drawing, const ShapeStyle* style,
                         const StrokeStyle& stroke) {
    return View(
        blocks::makeShared<ShapeNode>(shape, drawing, style ? std::optional(*style) : std::nullopt, stroke));
}

Path Rectangle::path(const Rect& r) const {
    Path p;
    p.addRect(r);
    return p;
}

Path RoundedRectangle::path(const Rect& r) const {
    Path p;
    p.addRoundedRect(r, cornerRadius, style == RoundedCornerStyle::continuous);
    return p;
}

Path Capsule::path(const Rect& r) const {
    Path p;
    p.addRoundedRect(r, std::min(r.width(), r.height()) / 2, style == RoundedCornerStyle::continuous);
    return p;
}

Path Circle::path(const Rect& r) const {
    const double d = std::min(r.width(), r.height());
    Path p;
    p.addEllipse({r.midX() - d / 2, r.midY() - d / 2, d, d});
    return p;
}

Path Ellipse::path(const Rect& r) const {
    Path p;
    p.addEllipse(r);
    return p;
}

AnimatableData TrimmedShape::animatableData() const {
    AnimatableData d = base.animatableData();
    d.push_back(from);
    d.push_back(to);
    return d;
}

void TrimmedShape::setAnimatableData(const AnimatableData& d) {
    if (d.size() < 2) return;
    to = d[d.size() - 1];
    from = d[d.size() - 2];
    base = base.withAnimatableData(AnimatableData(d.begin(), d.end() - 2));
}

}  // namespace quorlix::ui
