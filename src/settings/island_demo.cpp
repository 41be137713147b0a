#include "settings/island_demo.h"

#include "platform/main_queue.h"
#include "ui/animation.h"
#include "ui/transaction.h"

#include <memory>

namespace quorlix {

IslandDemoLoop::IslandDemoLoop(std::function<void()> toggle) : toggle_(std::move(toggle)) {
    schedule(firstDelay);
}

void IslandDemoLoop::run(ui::ViewTask& task, std::function<void()> toggle) {
    auto loop = std::make_shared<IslandDemoLoop>(std::move(toggle));
    // The task ends its subscriptions when it ends; the loop goes with this one.
    task.hold(Subscription([loop] {}));
}

void IslandDemoLoop::schedule(double seconds) {
    next_ = platform::MainQueue::shared().after(seconds, [this] {
        schedule(interval);
        // The change may remove the view, and this loop with it.
        const auto toggle = toggle_;
        ui::withAnimation(ui::Animation::spring(0.5, 0.72), toggle);
    });
}

}  // namespace quorlix
