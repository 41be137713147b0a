#include "settings/onboarding_controller.h"

#include "island/island_state.h"
#include "platform/user_defaults.h"
#include "settings/window_release.h"
#include "window/notch_window_controller.h"

namespace quorlix {

OnboardingController::OnboardingController(WindowFactory makeWindow, Islands islands)
    : makeWindow_(std::move(makeWindow)), islands_(std::move(islands)) {}

OnboardingController::~OnboardingController() = default;

void OnboardingController::show(bool startAtPermission) {
    if (!window_) {
        window_ = makeWindow_(Content{startAtPermission, lifetime_.guard([this] { finish(); })});
        if (!window_) return;
    }
    window_->makeKeyAndOrderFront();
}

void OnboardingController::finish() {
    platform::UserDefaults::standard().setBool("didShowWelcome", true);
    closeAndRelease(window_);
    const auto& islands = islands_();
    if (!islands.empty()) islands.front()->peek(IslandTab::music);
}

}  // namespace quorlix
