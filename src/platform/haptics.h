#pragma once
// The trackpad's haptic feedback. Linux trackpads have none, so there the backend does
// nothing. Main thread only.

namespace quorlix::platform {

enum class HapticPattern { alignment, levelChange };

class Haptics {
public:
    virtual ~Haptics() = default;
    virtual void perform(HapticPattern pattern) = 0;
};

}  // namespace quorlix::platform
