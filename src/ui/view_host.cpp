#include "ui/view_host.h"

#include "platform/clock.h"
#include "platform/main_queue.h"

#include <algorithm>

namespace quorlix::ui {

namespace {
// The display's frame period.
constexpr double frameInterval = 1.0 / 60;
}  // namespace

ViewHost::ViewHost(FontEngine& fonts, View root, Size size, EnvironmentValues environment)
    : graph_(fonts),
      events_([this]() -> const DisplayItem& { return graph_.shown(); }),
      root_(std::move(root)),
      size_(size),
      environment_(std::move(environment)) {
    graph_.invalidation().onInvalidate = [this] { invalidate(); };
    graph_.onObservedObjects = [this] { observeObjects(); };
    invalidate();
}

ViewHost::~ViewHost() {
    graph_.invalidation().onInvalidate = nullptr;
    next_.cancel();
}

void ViewHost::setRoot(View root) {
    root_ = std::move(root);
    graph_.invalidation().invalidate();
    invalidate();
}

void ViewHost::setSize(Size size) {
    if (size == size_) return;
    size_ = size;
    graph_.invalidation().invalidate();
    invalidate();
}

void ViewHost::setEnvironment(EnvironmentValues environment) {
    environment_ = std::move(environment);
    graph_.invalidation().invalidate();
    invalidate();
}

void ViewHost::observe(ObservableObject& object) {
    if (pinned_.contains(&object)) return;
    pinned_.emplace(&object, object.objectWillChange.connect([this] { graph_.invalidation().invalidate(); }));
}

void ViewHost::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    if (paused_)
        next_.cancel();
    else
        schedule(0);
}

void ViewHost::invalidate() {
    dirty_ = true;
    if (inFrame_ || paused_) return;
    const double now = platform::Clock::shared().now();
    if (next_.isPending() && nextDue_ <= now) return;
    schedule(0);
}

void ViewHost::schedule(double delay) {
    if (paused_) return;
    nextDue_ = platform::Clock::shared().now() + delay;
    next_ = delay <= 0 ? platform::MainQueue::shared().async([this] { frame(); })
                       : platform::MainQueue::shared().after(delay, [this] { frame(); });
}

void ViewHost::render() {
    if (dirty_ || graph_.needsUpdate()) frame();
}

void ViewHost::observeObjects() {
    std::map<ObservableObject*, Subscription> next;
    for (ObservableObject* object : graph_.observedObjects()) {
        if (pinned_.contains(object)) continue;
        if (auto found = observed_.find(object); found != observed_.end()) {
            next.emplace(object, std::move(found->second));
            continue;
        }
        next.emplace(object,
                     object->objectWillChange.connect([this, object] { graph_.invalidate(*object); }));
    }
    observed_ = std::move(next);
}

void ViewHost::frame() {
    next_.cancel();
    inFrame_ = true;
    const platform::Clock& clock = platform::Clock::shared();
    const double now = clock.now();
    if (rebuildAt_ && now >= *rebuildAt_ - 1e-6) dirty_ = true;
    if (dirty_ || graph_.needsUpdate()) {
        dirty_ = false;
        graph_.update(root_, size_, environment_, {now, clock.date()});
        rebuildAt_ = graph_.nextUpdate();
    }
    graph_.present(now);
    inFrame_ = false;
    if (onFrame) onFrame();

    // Changes made by the views' actions after the render, then animation frames, then the
    // timelines' next entries; nothing when idle.
    if (dirty_ || graph_.needsUpdate()) {
        schedule(0);
        return;
    }
    std::optional<double> due;
    if (graph_.isAnimating()) due = now + frameInterval;
    if (rebuildAt_) due = due ? std::min(*due, *rebuildAt_) : *rebuildAt_;
    if (due) schedule(std::max(0.0, *due - now));
}

}  // namespace quorlix::ui
