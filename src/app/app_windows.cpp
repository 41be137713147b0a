#include "app/app_windows.h"

#include "app/app_delegate.h"
#include "app/move_to_applications.h"
#include "app/move_view.h"
#include "platform/key_log.h"
#include "platform/platform.h"
#include "settings/onboarding_controller.h"
#include "settings/onboarding_view.h"
#include "settings/settings_window_controller.h"

#include <memory>
#include <string>

namespace quorlix {

namespace {

// The platform's windows, or none (and a line in the log) where it has none.
platform::Windows* windowsFor(const char* what) {
    platform::Windows* windows = platform::installed().windows;
    if (!windows) KeyLog::write(std::string(what) + " not available: no windows");
    return windows;
}

// The settings window, onboarding and the move offer, each made on first use. Without the
// platform's windows none shows (a move offer not shown lets onboarding go on as usual).
class DelegateAppWindows final : public AppWindows {
public:
    explicit DelegateAppWindows(AppDelegate& app)
        : app_(app),
          onboarding_(
              [&app](OnboardingController::Content content) -> std::unique_ptr<platform::Window> {
                  platform::Windows* windows = windowsFor("onboarding window");
                  if (!windows) return nullptr;
                  return OnboardingView::makeWindow(*windows, std::move(content), app.settings);
              },
              [&app]() -> const auto& { return app.controllers(); }),
          mover_(MoveToApplications::installedConfiguration(
              [](MoveToApplications::Actions actions) -> std::unique_ptr<platform::Window> {
                  platform::Windows* windows = windowsFor("move offer window");
                  if (!windows) return nullptr;
                  return MoveView::makeWindow(*windows, std::move(actions));
              })) {}

    bool offerMoveIfNeeded() override { return mover_.offerIfNeeded(); }
    void showSettings(SettingsSection section) override {
        platform::Windows* windows = windowsFor("settings window");
        if (!windows) return;
        if (!settings_)
            settings_ = std::make_unique<SettingsWindowController>(
                *windows, SettingsWindowController::Services{app_.settings, app_.weather, app_.updates,
                                                             app_.battery, app_.agents, app_.browserAI});
        settings_->show(section);
    }
    void showOnboarding(bool startAtPermission) override { onboarding_.show(startAtPermission); }

private:
    AppDelegate& app_;
    std::unique_ptr<SettingsWindowController> settings_;
    OnboardingController onboarding_;
    MoveToApplications mover_;
};

}  // namespace

std::unique_ptr<AppWindows> AppWindows::make(AppDelegate& app) {
    return std::make_unique<DelegateAppWindows>(app);
}

}  // namespace quorlix
