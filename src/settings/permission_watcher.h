#pragma once
// The Accessibility-permission watcher of onboarding. What the application uses of it at
// start-up: remembering that the running build was trusted.

namespace quorlix {

struct PermissionWatcher {
    // Stores the running build number ("0" when it has none) under
    // "accessibilityTrustedBuild", so a later build that has lost the grant can tell.
    static void rememberTrusted();
};

}  // namespace quorlix
