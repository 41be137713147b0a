// Scenes of onboarding and of the move offer: the welcome with its island closed and open,
// the permission step with the permission missing, lost with an update, granted and not to be
// had (a Wayland session), the gestures step, the offer to move the application, and the
// island demo's loop.

#include "app/move_view.h"
#include "foundation/app_settings.h"
#include "platform/platform.h"
#include "platform/user_defaults.h"
#include "settings/island_demo.h"
#include "settings/onboarding_steps.h"
#include "settings/onboarding_view.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Color windowBehind = Color::sRGB(0.16, 0.2, 0.26);

enum class Permission { missing, lost, granted, unavailable };

// The trust the onboarding's watcher reads, and the build last seen trusted: one before
// this one when the permission went with an update.
void givePermission(Permission permission) {
    static SceneTrust trust;
    trust.trusted = permission == Permission::granted;
    trust.grantable = permission != Permission::unavailable;
    platform::Platform p = platform::installed();
    p.accessibilityTrust = &trust;
    p.mainQueue = &platform::MainQueue::shared();
    platform::install(p);
    auto& defaults = platform::UserDefaults::standard();
    if (permission == Permission::lost)
        defaults.setString("accessibilityTrustedBuild", "una anterior");
    else
        defaults.removeObject("accessibilityTrustedBuild");
}

View onboarding(int step, Permission permission = Permission::missing) {
    showBuildIcon();
    givePermission(permission);
    return View(OnboardingView{false, [] {}, step}).environmentObject(AppSettings::shared());
}

Scene at(std::string name, int step, Permission permission = Permission::missing, double time = 0) {
    Scene scene{std::move(name),
                {OnboardingView::width, OnboardingView::height},
                [step, permission] { return onboarding(step, permission); },
                windowBehind};
    scene.time = time;
    return scene;
}

const Scene welcome = at("onboarding-welcome", OnboardingSteps::welcome);
// Half a second in, the demo's island has opened.
const Scene welcomeOpen = at("onboarding-welcome-open", OnboardingSteps::welcome, Permission::missing, 0.5);
const Scene missing = at("onboarding-permission", OnboardingSteps::permission);
const Scene lost = at("onboarding-permission-lost", OnboardingSteps::permission, Permission::lost);
const Scene granted = at("onboarding-permission-granted", OnboardingSteps::permission, Permission::granted);
const Scene unavailable =
    at("onboarding-permission-wayland", OnboardingSteps::permission, Permission::unavailable);
const Scene gestures = at("onboarding-gestures", OnboardingSteps::gestures);

// The offer window on a desktop.
const Scene moveOffer{"move-offer",
                      {460, 440},
                      [] {
                          showBuildIcon();
                          return View(MoveView{[] {}, [] {}}).background(MoveView::background);
                      },
                      windowBehind};

// The demo on its own clock: it opens at 0.5 s and closes at 2.7 s.
const AnimationScene demoLoop{"onboarding-island-demo",
                              {OnboardingView::width, 160},
                              3.3,
                              [](bool) {
                                  givePermission(Permission::missing);
                                  return View(IslandDemo{})
                                      .frame({.height = 130})
                                      .frame({.maxHeight = infinity, .alignment = Alignment::top})
                                      .background(OnboardingGlass{});
                              },
                              false};

}  // namespace

}  // namespace quorlix::snapshot
