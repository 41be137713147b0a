#include "settings/permission_watcher.h"

#include "platform/main_queue.h"
#include "platform/user_defaults.h"
#include "services/media_key_interceptor.h"
#include "services/update_service.h"
#include "ui/animation.h"
#include "ui/transaction.h"

namespace quorlix {

namespace {

constexpr const char* trustedBuildKey = "accessibilityTrustedBuild";

bool trustNow(const platform::AccessibilityTrust* trust) { return !trust || trust->isProcessTrusted(); }

}  // namespace

PermissionWatcher::PermissionWatcher(platform::AccessibilityTrust* trust)
    : accessibility(this, trustNow(trust)), trust_(trust) {}

void PermissionWatcher::start() {
    if (canBeGranted()) schedulePoll();
}

void PermissionWatcher::stop() { timer_.cancel(); }

void PermissionWatcher::schedulePoll() {
    timer_ = platform::MainQueue::shared().after(pollInterval, [this] {
        schedulePoll();
        refresh();
    });
}

void PermissionWatcher::refresh() {
    const bool trusted = trustNow(trust_);
    if (trusted == accessibility.get()) return;
    ui::withAnimation(ui::Animation::spring(0.4, 0.7), [&] { accessibility = trusted; });
    if (trusted) rememberTrusted();
}

void PermissionWatcher::request() { MediaKeyInterceptor::shared().requestPermission(); }

bool PermissionWatcher::lostAfterUpdate() const {
    // A build trusted in an X11 session and run now in a Wayland one lost nothing an update took.
    return canBeGranted() && lostAfterUpdate(accessibility.get(),
                                             platform::UserDefaults::standard().stringForKey(trustedBuildKey),
                                             UpdateService::currentBuild());
}

bool PermissionWatcher::lostAfterUpdate(bool trusted, const std::optional<std::string>& trustedBuild,
                                        const std::string& runningBuild) {
    // Withdrawn under this very build, the permission reads as never given: no update took it.
    return !trusted && trustedBuild && *trustedBuild != runningBuild;
}

void PermissionWatcher::rememberTrusted() {
    platform::UserDefaults::standard().setString(trustedBuildKey, UpdateService::currentBuild());
}

}  // namespace quorlix
