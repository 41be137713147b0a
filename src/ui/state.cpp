#include "ui/state.h"

#include <algorithm>

namespace quorlix::ui {

void Invalidation::invalidate() { invalidate(0); }

void Invalidation::invalidate(std::uint64_t view) {
    if (view == 0)
        everything_ = true;
    else if (std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
    note();
}

void Invalidation::note() {
    const Transaction& t = Transaction::current();
    // An animated change keeps its animation even when plain changes follow in the same turn.
    if (t.animation || t.disablesAnimations || !pending_) transaction_ = t;
    const bool first = !pending_;
    pending_ = true;
    if (first && onInvalidate) onInvalidate();
}

Transaction Invalidation::take() { return takeRequest().transaction; }

Invalidation::Request Invalidation::takeRequest() {
    Request r{std::exchange(transaction_, Transaction{}), everything_, std::exchange(views_, {})};
    pending_ = false;
    everything_ = false;
    return r;
}

}  // namespace quorlix::ui
