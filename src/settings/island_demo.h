#pragma once
// The looping island of the onboarding's welcome: a black island hanging from the top edge
// that opens into a small now-playing card and closes again. Closed at first, open 0.5 s
// after it comes on screen, then closed, open, closed... every 2.2 s, each change within the
// demo's spring, for as long as it is shown.
//
//     IslandDemo{}.frame({.height = 130})
//
// The loop is a chain of main-queue delays held by the view's task, so it ends, without a
// further change, when the view goes; a new demo starts closed again.

#include "platform/work_item.h"
#include "settings/settings_view.h"
#include "ui/lifecycle.h"

#include <functional>

namespace quorlix {

struct IslandDemo {
    static constexpr Size closedSize{150, 30};
    static constexpr Size openSize{300, 96};

    ui::View body(ui::Context& ctx) const;
    // The island as it stands open or closed.
    static ui::View island(bool open);
};

// The onboarding window's translucent background: the settings window's glass.
using OnboardingGlass = GlassBackground;

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
