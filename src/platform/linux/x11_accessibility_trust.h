#pragma once
// Trust on X11: an X client may take global keys exactly when it can reach the display and
// the session is not a Wayland one (there X clients see the keyboard only while one of their
// windows has the focus, and no setting changes that: the trust can never be granted). The
// same test the media-key tap meets when it is created. X has no prompt, so asking shows
// nothing and answers the same check.

#include "platform/accessibility_trust.h"

#include <atomic>
#include <string>

namespace quorlix::platform {

class X11AccessibilityTrust final : public AccessibilityTrust {
public:
    // On the display named `display` (empty: the one $DISPLAY names).
    explicit X11AccessibilityTrust(std::string display = {});

    bool isProcessTrusted() const override;
    bool requestTrust() override { return isProcessTrusted(); }
    bool canBeGranted() const override;

private:
    std::string display_;
    mutable std::atomic<bool> reached_{false};
};

}  // namespace quorlix::platform
