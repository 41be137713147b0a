#pragma once
// The onboarding window: made on the first `show`, brought forward by every later one (which
// therefore keeps the step of the first), and done with when its last step's button calls
// `done`: onboarding is then marked seen ("didShowWelcome"), the window closes and goes with
// its views and their permission watcher, and the first island peeks on its music page, so
// the user's next look goes to the notch.
//
// The window is a 460 x 560 ordinary window, frameless and translucent, above other windows,
// centred, with a drawn close button only; closing it that way only hides it, so a later
// `show` brings it back as it was. The view layer makes it, with the onboarding view as its
// content, through the factory:
//
//     OnboardingController onboarding(
//         [&](OnboardingController::Content content) { return makeOnboardingWindow(content); },
//         [&]() -> const auto& { return app.controllers(); });
//     onboarding.show(/*startAtPermission=*/false);
//
// Main thread only.

#include "platform/geometry.h"
#include "platform/window.h"
#include "services/lifetime.h"

#include <functional>
#include <memory>
#include <vector>

namespace quorlix {

class NotchWindowController;

class OnboardingController {
public:
    static constexpr Size windowSize{460, 560};

    // What the window's view is made with.
    struct Content {
        // The view opens on the permission step once on screen.
        bool startAtPermission = false;
        // Ends onboarding; does nothing once the controller is gone.
        std::function<void()> done;
    };
    // Makes the window around the onboarding view; none when no window can be made.
    using WindowFactory = std::function<std::unique_ptr<platform::Window>(Content)>;
    // The islands, in the application's order.
    using Islands = std::function<const std::vector<std::unique_ptr<NotchWindowController>>&()>;

    OnboardingController(WindowFactory makeWindow, Islands islands);
    ~OnboardingController();
    OnboardingController(const OnboardingController&) = delete;
    OnboardingController& operator=(const OnboardingController&) = delete;

    void show(bool startAtPermission);
    // None before the first `show` and after the end.
    platform::Window* window() const { return window_.get(); }

private:
    void finish();

    WindowFactory makeWindow_;
    Islands islands_;
    std::unique_ptr<platform::Window> window_;
    Lifetime lifetime_;
};

}  // namespace quorlix
