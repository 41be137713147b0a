#pragma once
// Transitions: how a view enters the tree and leaves it, inside an animated transaction.
//
//     content.id(mode).transition(AnyTransition::asymmetric(
//         AnyTransition::scale(0.9, UnitPoint::top).combined(AnyTransition::opacity())
//             .animation(Animation::easeOut(0.25).delay(0.06)),
//         AnyTransition::opacity().animation(Animation::easeIn(0.1))))
//
// A view inserted inside an animation starts in the transition's state and animates to its
// own; a removed one is still drawn while it animates to the transition's state, and goes
// once that animation ends. A transition's own animation, when it has one, replaces the
// transaction's. Views without a transition fade (the platform's default); changes made
// without an animation insert and remove at once.

#include "ui/animation.h"
#include "ui/types.h"

#include <memory>
#include <optional>

namespace quorlix::ui {

// The state a transition puts a view in while it is not (or no longer) there.
struct TransitionState {
    double opacity = 1;
    double scaleX = 1, scaleY = 1;
    UnitPoint anchor = UnitPoint::center;
    double offsetX = 0, offsetY = 0;
    std::optional<Edge> edge;  // moved by its own size towards this edge
    double blur = 0;

    TransitionState combined(const TransitionState& other) const;
    // The state as numbers for a view of `size`: opacity, scale x and y, offset x and y, blur.
    AnimatableData resolved(Size size) const;
    static AnimatableData identity() { return {1, 1, 1, 0, 0, 0}; }
};

class AnyTransition {
public:
    static AnyTransition opacity();
    // No change at all: the view comes and goes at once.
    static AnyTransition identity();
    static AnyTransition scale(double scale = 0, UnitPoint anchor = UnitPoint::center);
    static AnyTransition offset(double x, double y);
    static AnyTransition move(Edge edge);
    // In from `from`, pushing out towards the opposite edge, fading on both sides (a page
    // sliding in over the one it replaces).
    static AnyTransition push(Edge from);
    static AnyTransition blur(double radius);
    static AnyTransition asymmetric(const AnyTransition& insertion, const AnyTransition& removal);

    AnyTransition combined(const AnyTransition& other) const;
    AnyTransition animation(const Animation& animation) const;

    const TransitionState& insertion() const { return insertion_; }
    const TransitionState& removal() const { return removal_; }
    // The transition's own animation for each side, or null (the transaction's applies).
    std::shared_ptr<const Animation> insertionAnimation() const;
    std::shared_ptr<const Animation> removalAnimation() const;
    bool isIdentity() const { return identity_; }

private:
    TransitionState insertion_, removal_;
    std::shared_ptr<const Animation> animation_;
    std::shared_ptr<const Animation> insertionAnimation_, removalAnimation_;  // of asymmetric sides
    bool identity_ = false;
};

}  // namespace quorlix::ui
