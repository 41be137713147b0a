#pragma once
// That the screen was locked or unlocked: what the lock screen follows.
//
// A notice may come more than once for one lock (several parts of the desktop announce it);
// whoever listens keeps its own idea of the state and ignores repeats. Whether the screen is
// locked at start is not announced. Notices arrive on the main thread.

#include "platform/published.h"

#include <functional>

namespace quorlix::platform {

enum class ScreenLockNotice {
    locked,
    unlocked,
};

class ScreenLockNotifications {
public:
    virtual ~ScreenLockNotifications() = default;
    [[nodiscard]] virtual Subscription observe(std::function<void(ScreenLockNotice)> handler) = 0;
};

}  // namespace quorlix::platform
