#pragma once
// The onboarding's three steps in one 460 x 560 view: the welcome with the island demo, the
// permission to take the keys with the launch-at-login switch, and the gestures. Each step's
// white button (and Return) leads to the next; a new step pushes in from the trailing edge
// while the old one leaves towards the leading edge. The last button calls `done`.
//
//     OnboardingView{.startAtPermission = false, .done = [&] { controller.finish(); }}
//         .environmentObject(settings)
//
// The view owns its permission watcher: it polls the trust while the view is on screen and
// goes with the view. Reads the settings store as an environment object.

#include "settings/onboarding_controller.h"
#include "ui/view.h"

#include <functional>
#include <memory>
#include <string>

namespace quorlix {

class AppSettings;
class PermissionWatcher;

struct OnboardingView {
    static constexpr double width = 460;
    static constexpr double height = 560;

    // Opens on the permission step once on screen.
    bool startAtPermission = false;
    std::function<void()> done;
    // The step state's first value: the window starts at the welcome.
    int step = 0;
    // The trust watcher, when the window holds it (it stops it while hidden); else the view's own.
    std::shared_ptr<PermissionWatcher> permissions;

    ui::View body(ui::Context& ctx) const;

    // The onboarding window around a new view: floating, with its close button alone.
    static std::unique_ptr<platform::Window> makeWindow(platform::Windows& windows,
                                                        OnboardingController::Content content,
                                                        AppSettings& settings);
};

// A permission in the permission step's card: its symbol in a tile, its name and state, and
// a check mark once granted, or a button that asks for it when there is an `action` (none
// where the permission can never be granted).
struct PermissionRow {
    std::string symbol;
    std::string title;
    std::string detail;
    bool granted = false;
    std::function<void()> action;
    ui::View body(ui::Context& ctx) const;
};

// One of the gestures step's hints: an accent symbol in a tile beside a title and a line.
struct Tip {
    std::string symbol;
    std::string title;
    std::string detail;
    ui::View body(ui::Context& ctx) const;
};

// A step's white capsule button, growing a little under the pointer; Return presses it.
struct PrimaryButton {
    std::string title;
    std::function<void()> action;
    ui::View body(ui::Context& ctx) const;
};

// Three dots, the current step's wide.
struct StepDots {
    int step = 0;
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
