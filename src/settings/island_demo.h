#pragma once
// The looping island of the onboarding's welcome: closed at first, open 0.5 s after it comes
// on screen, then closed, open, closed... every 2.2 s, each change within the demo's spring,
// for as long as it is shown.
//
//     .task([open](ui::ViewTask& task) { IslandDemoLoop::run(task, [open] { open = !open; }); })
//
// The loop is a chain of main-queue delays held by the view's task, so it ends, without a
// further change, when the view goes.

#include "platform/work_item.h"
#include "ui/lifecycle.h"

#include <functional>

namespace quorlix {

class IslandDemoLoop {
public:
    static constexpr double firstDelay = 0.5;
    static constexpr double interval = 2.2;

    // Starts the loop: `toggle` runs `firstDelay` from now, then every `interval`.
    explicit IslandDemoLoop(std::function<void()> toggle);

    // A loop that lives as long as `task`.
    static void run(ui::ViewTask& task, std::function<void()> toggle);

private:
    void schedule(double seconds);

    std::function<void()> toggle_;
    platform::WorkItem next_;
};

}  // namespace quorlix
