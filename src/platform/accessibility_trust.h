#pragma once
// Whether the user lets this process watch the keyboard (an event tap needs it), and the
// system's prompt that asks for it. Main thread only.

namespace quorlix::platform {

class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;

    virtual bool isProcessTrusted() const = 0;
    // Whether the user can grant the trust at all; false where nothing can (no prompt or
    // setting gives it), so there is no point asking.
    virtual bool canBeGranted() const { return true; }
    // Shows the system's prompt for the grant when it is missing; answers the trust now.
    virtual bool requestTrust() = 0;
};

}  // namespace quorlix::platform
