#pragma once
// Transactions: the animation that goes with a change. A change made inside `withAnimation`
// animates every view property it causes to change; one made outside animates only where an
// implicit animation (`view.animation(curve, value)`) says so.
//
//     withAnimation(Animation::spring(0.45, 0.62).delay(0.06), [&] { shown = true; });
//     withAnimation(Animation::spring(0.28, 0.85), [&] { state.outputMenuOpen = false; });
//
// Works the same from a view's action and from model code outside any view: the hosts that
// show the changed state pick up the transaction in force when they hear of the change.
// Main thread only.

#include <functional>
#include <memory>
#include <optional>

namespace quorlix::ui {

class Animation;

struct Transaction {
    std::shared_ptr<const Animation> animation;
    // Set: no animation at all, implicit ones included.
    bool disablesAnimations = false;

    // The transaction of the change being made now (none outside withAnimation).
    static const Transaction& current();
};

// Runs `body` with `transaction` as the current transaction.
void withTransaction(const Transaction& transaction, const std::function<void()>& body);

// Runs `body` in a transaction with `animation` (none: changes jump, implicit animations
// still apply); without one, with the platform's default animation.
void withAnimation(const std::optional<Animation>& animation, const std::function<void()>& body);
void withAnimation(const std::function<void()>& body);

}  // namespace quorlix::ui
