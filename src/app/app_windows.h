#pragma once
// The application's windows besides the islands and the lock screen: the settings window,
// onboarding, and the offer to move the application where it belongs. The application
// delegate opens them through this interface and owns the object behind it.
//
// Main thread only.

#include "foundation/settings_section.h"

#include <memory>

namespace quorlix {

class AppDelegate;

class AppWindows {
public:
    virtual ~AppWindows() = default;

    // Shows the move offer when the application does not run from where it belongs; true when
    // it was shown in this run.
    virtual bool offerMoveIfNeeded() = 0;
    // Creates the settings window once, selects `section` and brings the window forward.
    virtual void showSettings(SettingsSection section) = 0;
    // Shows onboarding, from its first step or from the Accessibility permission step.
    virtual void showOnboarding(bool startAtPermission) = 0;

    // The windows, made with the installed platform's, reading their services from `app`.
    static std::unique_ptr<AppWindows> make(AppDelegate& app);
};

}  // namespace quorlix
