#include "ui/state.h"

namespace quorlix::ui {

void Invalidation::invalidate() {
    const Transaction& t = Transaction::current();
    // An animated change keeps its animation even when plain changes follow in the same turn.
    if (t.animation || t.disablesAnimations || !pending_) transaction_ = t;
    const bool first = !pending_;
    pending_ = true;
    if (first && onInvalidate) onInvalidate();
}

Transaction Invalidation::take() {
    pending_ = false;
    return std::exchange(transaction_, Transaction{});
}

}  // namespace quorlix::ui
