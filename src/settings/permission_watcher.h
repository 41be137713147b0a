#pragma once
// Whether the process may take global keys (the trust the media-key interceptor reads), as
// the onboarding's permission step shows it. While the step's view is on screen the watcher
// polls the trust every second and publishes a change within the step's spring; it asks for
// the trust through the media-key interceptor, which takes the keys once trust comes (and
// only while `replaceSystemHUD` is on); and it remembers the last build seen trusted, which
// tells a permission lost with an update from one never given.
//
//     PermissionWatcher permissions;        // the installed platform's trust
//     permissions.start();                  // when the view comes on screen
//     if (permissions.lostAfterUpdate()) ...
//     permissions.stop();                   // when it leaves
//
// Two values live in the application's defaults: "didShowWelcome" (written by onboarding)
// and "accessibilityTrustedBuild", written here. Main thread only; the poll dies with the
// watcher.

#include "platform/accessibility_trust.h"
#include "platform/platform.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <optional>
#include <string>

namespace quorlix {

class PermissionWatcher final : public ObservableObject {
public:
    static constexpr double pollInterval = 1.0;

    // No trust object: nothing needs granting, so the process counts as trusted.
    explicit PermissionWatcher(
        platform::AccessibilityTrust* trust = platform::installed().accessibilityTrust);

    // The trust as last polled; at construction, the trust now.
    Published<bool> accessibility;

    // Polls every `pollInterval` seconds on the main queue; a second call replaces the poll.
    // A trust that can never be granted is not polled for.
    void start();
    void stop();
    // Asks for the trust: the media-key interceptor's own request, once. Leaves
    // `accessibility` to the next poll.
    void request();

    // Whether the user can grant the trust at all (not in a Wayland session).
    bool canBeGranted() const { return !trust_ || trust_->canBeGranted(); }
    // The trust is missing now, could be given again, and a build other than this one had it.
    bool lostAfterUpdate() const;
    static bool lostAfterUpdate(bool trusted, const std::optional<std::string>& trustedBuild,
                                const std::string& runningBuild);

    // Stores the running build number ("0" when it has none) under
    // "accessibilityTrustedBuild".
    static void rememberTrusted();

private:
    void refresh();
    void schedulePoll();

    platform::AccessibilityTrust* trust_;
    platform::WorkItem timer_;
};

}  // namespace quorlix
