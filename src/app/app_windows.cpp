#include "app/app_windows.h"

#include "foundation/key_log.h"

#include <string>

namespace quorlix {

namespace {

// The settings window and onboarding are not part of this build yet: asking for one leaves a
// line in the log, so the request is not lost silently. An installed Linux
// application already runs from its installed place, so there is nothing to offer to move.
class PendingAppWindows final : public AppWindows {
public:
    bool offerMoveIfNeeded() override { return false; }
    void showSettings(SettingsSection section) override {
        KeyLog::write("settings window not available yet (" + std::string(rawValue(section)) + ")");
    }
    void showOnboarding(bool startAtPermission) override {
        KeyLog::write(std::string("onboarding not available yet (") +
                      (startAtPermission ? "permission" : "start") + ")");
    }
};

}  // namespace

std::unique_ptr<AppWindows> AppWindows::make() { return std::make_unique<PendingAppWindows>(); }

}  // namespace quorlix
