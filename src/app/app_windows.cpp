#include "app/app_windows.h"

#include "app/app_delegate.h"
#include "app/move_to_applications.h"
#include "foundation/key_log.h"
#include "settings/onboarding_controller.h"

#include <string>

namespace quorlix {

namespace {

// Onboarding and the move offer, with their windows as far as this build has them: their
// views are not part of it yet, so asking for one leaves a line in the log and shows nothing
// (a move offer not shown lets onboarding go on as usual). The settings window is not part of
// it either.
class DelegateAppWindows final : public AppWindows {
public:
    explicit DelegateAppWindows(AppDelegate& app)
        : onboarding_(
              [](const OnboardingController::Content& content) {
                  KeyLog::write(std::string("onboarding window not available yet (") +
                                (content.startAtPermission ? "permission" : "start") + ")");
                  return std::unique_ptr<ControlledWindow>();
              },
              [&app]() -> const auto& { return app.controllers(); }),
          mover_(MoveToApplications::installedConfiguration([](const MoveToApplications::Actions&) {
              KeyLog::write("move offer window not available yet");
              return std::unique_ptr<ControlledWindow>();
          })) {}

    bool offerMoveIfNeeded() override { return mover_.offerIfNeeded(); }
    void showSettings(SettingsSection section) override {
        KeyLog::write("settings window not available yet (" + std::string(rawValue(section)) + ")");
    }
    void showOnboarding(bool startAtPermission) override { onboarding_.show(startAtPermission); }

private:
    OnboardingController onboarding_;
    MoveToApplications mover_;
};

}  // namespace

std::unique_ptr<AppWindows> AppWindows::make(AppDelegate& app) {
    return std::make_unique<DelegateAppWindows>(app);
}

}  // namespace quorlix
