#include "app/app_windows.h"

#include "app/app_delegate.h"
#include "foundation/key_log.h"
#include "platform/platform.h"
#include "settings/settings_window_controller.h"

#include <memory>
#include <string>

namespace quorlix {

namespace {

// The settings window, made on first use. Onboarding is not part of this build yet: asking for
// it leaves a line in the log, so the request is not lost silently. An installed Linux
// application already runs from its installed place, so there is nothing to offer to move.
class DelegateAppWindows final : public AppWindows {
public:
    explicit DelegateAppWindows(AppDelegate& app) : app_(app) {}

    bool offerMoveIfNeeded() override { return false; }
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
    void showOnboarding(bool startAtPermission) override {
        KeyLog::write(std::string("onboarding not available yet (") +
                      (startAtPermission ? "permission" : "start") + ")");
    }

private:
    AppDelegate& app_;
    std::unique_ptr<SettingsWindowController> settings_;
};

}  // namespace

std::unique_ptr<AppWindows> AppWindows::make(AppDelegate& app) {
    return std::make_unique<DelegateAppWindows>(app);
}

}  // namespace quorlix
