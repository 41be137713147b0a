#pragma once
// Whether the user lets this process watch the keyboard (an event tap needs it), and the
// system's prompt that asks for it. Main thread only.

namespace quorlix::platform {

class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;

    virtual bool isProcessTrusted() const = 0;
    // Shows the system's prompt for the grant when it is missing; answers the trust now.
    virtual bool requestTrust() = 0;
};

}  // namespace quorlix::platform
