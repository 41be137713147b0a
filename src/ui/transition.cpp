#include "ui/transition.h"

namespace quorlix::ui {

TransitionState TransitionState::combined(const TransitionState& o) const {
    TransitionState r = *this;
    r.opacity *= o.opacity;
    if (o.scaleX != 1 || o.scaleY != 1) {
        if (scaleX == 1 && scaleY == 1) r.anchor = o.anchor;
        r.scaleX *= o.scaleX;
        r.scaleY *= o.scaleY;
    }
    r.offsetX += o.offsetX;
    r.offsetY += o.offsetY;
    if (!r.edge) r.edge = o.edge;
    r.blur += o.blur;
    return r;
}

AnimatableData TransitionState::resolved(Size size) const {
    double x = offsetX, y = offsetY;
    if (edge) {
        switch (*edge) {
            case Edge::top: y -= size.height; break;
            case Edge::bottom: y += size.height; break;
            case Edge::leading: x -= size.width; break;
            case Edge::trailing: x += size.width; break;
        }
    }
    return {opacity, scaleX, scaleY, x, y, blur};
}

AnyTransition AnyTransition::opacity() {
    AnyTransition t;
    t.insertion_.opacity = t.removal_.opacity = 0;
    return t;
}

AnyTransition AnyTransition::identity() {
    AnyTransition t;
    t.identity_ = true;
    return t;
}

AnyTransition AnyTransition::scale(double scale, UnitPoint anchor) {
    AnyTransition t;
    t.insertion_.scaleX = t.insertion_.scaleY = scale;
    t.insertion_.anchor = anchor;
    t.removal_ = t.insertion_;
    return t;
}

AnyTransition AnyTransition::offset(double x, double y) {
    AnyTransition t;
    t.insertion_.offsetX = x;
    t.insertion_.offsetY = y;
    t.removal_ = t.insertion_;
    return t;
}

AnyTransition AnyTransition::move(Edge edge) {
    AnyTransition t;
    t.insertion_.edge = edge;
    t.removal_ = t.insertion_;
    return t;
}

AnyTransition AnyTransition::push(Edge from) {
    Edge opposite = Edge::leading;
    switch (from) {
        case Edge::top: opposite = Edge::bottom; break;
        case Edge::bottom: opposite = Edge::top; break;
        case Edge::leading: opposite = Edge::trailing; break;
        case Edge::trailing: opposite = Edge::leading; break;
    }
    return asymmetric(move(from).combined(opacity()), move(opposite).combined(opacity()));
}

AnyTransition AnyTransition::blur(double radius) {
    AnyTransition t;
    t.insertion_.blur = radius;
    t.removal_ = t.insertion_;
    return t;
}

AnyTransition AnyTransition::asymmetric(const AnyTransition& insertion, const AnyTransition& removal) {
    AnyTransition t;
    t.insertion_ = insertion.insertion_;
    t.removal_ = removal.removal_;
    // Each side keeps its own animation.
    t.insertionAnimation_ = insertion.animation_ ? insertion.animation_ : insertion.insertionAnimation_;
    t.removalAnimation_ = removal.animation_ ? removal.animation_ : removal.removalAnimation_;
    return t;
}

AnyTransition AnyTransition::combined(const AnyTransition& other) const {
    AnyTransition t = *this;
    t.identity_ = identity_ && other.identity_;
    t.insertion_ = insertion_.combined(other.insertion_);
    t.removal_ = removal_.combined(other.removal_);
    if (!t.animation_) t.animation_ = other.animation_;
    return t;
}

AnyTransition AnyTransition::animation(const Animation& animation) const {
    AnyTransition t = *this;
    t.animation_ = std::make_shared<const Animation>(animation);
    return t;
}

std::shared_ptr<const Animation> AnyTransition::insertionAnimation() const {
    return insertionAnimation_ ? insertionAnimation_ : animation_;
}

std::shared_ptr<const Animation> AnyTransition::removalAnimation() const {
    return removalAnimation_ ? removalAnimation_ : animation_;
}

}  // namespace quorlix::ui
