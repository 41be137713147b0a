#pragma once
// The desktop's do-not-disturb switch (on Linux: GNOME's notification banners setting, or
// the notification inhibition of KDE Plasma). The desktop has no named focus modes, only this
// one switch.

#include "platform/published.h"

#include <functional>
#include <optional>

namespace quorlix::platform {

class DesktopFocus {
public:
    virtual ~DesktopFocus() = default;

    // Whether do-not-disturb is on; none when this desktop has no such switch or it cannot be
    // read. Main thread; answers at once.
    virtual std::optional<bool> doNotDisturb() = 0;

    // Calls `handler` on the main thread when the switch may have changed, until the
    // subscription ends. An inactive subscription when changes cannot be followed.
    [[nodiscard]] virtual Subscription observe(std::function<void()> handler) = 0;
};

}  // namespace quorlix::platform
