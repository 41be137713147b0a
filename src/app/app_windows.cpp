#include "app/app_windows.h"

#include "app/app_delegate.h"
#include "app/move_to_applications.h"
#include "foundation/key_log.h"
#include "platform/platform.h"
#include "settings/onboarding_controller.h"
#include "settings/settings_window_controller.h"

#include <memory>
#include <string>

namespace quorlix {

namespace {

// The settings window, made on first use; onboarding and the move offer. The views of the
// last two are not part of this build yet: asking for one leaves a line in the log and shows
// nothing (a move offer not shown lets onboarding go on as usual).
class DelegateAppWindows final : public AppWindows {
public:
    explicit DelegateAppWindows(AppDelegate& app)
        : app_(app),
          onboarding_(
              [](const OnboardingController::Content& content) {
                  KeyLog::write(std::string("onboarding window not available yet (") +
                                (content.startAtPermission ? "permission" : "start") + ")");
                  return std::unique_ptr<platform::Window>();
              },
              [&app]() -> const auto& { return app.controllers(); }),
          mover_(MoveToApplications::installedConfiguration([](const MoveToApplications::Actions&) {
              KeyLog::write("move offer window not available yet");
              return std::unique_ptr<platform::Window>();
          })) {}

    bool offerMoveIfNeeded() override { return mover_.offerIfNeeded(); }
    void showSettings(SettingsSection section) override {
        platform::Windows* windows = platform::installed().windows;
        if (!windows) {
            KeyLog::write("settings window not available (" + std::string(rawValue(section)) + ")");
            return;
        }
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
