#pragma once
// Linux desktops have no per-application grant for watching the keyboard: whoever may talk to
// the display server may take keys from it. So the process is always trusted, and there is
// nothing to prompt for.

#include "platform/accessibility_trust.h"

namespace quorlix::platform {

class GrantedAccessibilityTrust final : public AccessibilityTrust {
public:
    bool isProcessTrusted() const override { return true; }
    bool requestTrust() override { return true; }
};

}  // namespace quorlix::platform
