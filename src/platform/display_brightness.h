#pragma once
// The brightness of the displays that can be dimmed, as a value from 0 to 1.
//
// Three operations, each of which a machine may lack (`canRead`, `canWrite`, `canNotify`); a
// missing one is never called. A write reports only whether it was sent: the new level shows
// up later, through a read after the change notice.
//
//     Subscription s = brightness.listen(display, [this] { reread(); });
//
// Listeners are called on the main thread, once a read answers the new level. A subscription
// that is not active means the registration failed. Main thread only.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorlix::platform {

using DisplayID = std::uint32_t;

class DisplayBrightness {
public:
    struct Display {
        DisplayID id = 0;
        // The panel of a laptop, rather than a separate monitor.
        bool isBuiltIn = false;
    };

    virtual ~DisplayBrightness() = default;

    // The dimmable displays, in the system's order.
    virtual std::vector<Display> displays() const = 0;
    // The display the system counts as its main one; 0 when there is none.
    virtual DisplayID mainDisplay() const = 0;

    virtual bool canRead() const = 0;
    virtual bool canWrite() const = 0;
    virtual bool canNotify() const = 0;

    // None when the display cannot be read.
    virtual std::optional<float> brightness(DisplayID display) const = 0;
    // `value` is 0...1.
    virtual bool setBrightness(DisplayID display, float value) = 0;
    // Calls `changed` after the display's brightness changed, whatever changed it.
    [[nodiscard]] virtual Subscription listen(DisplayID display, std::function<void()> changed) = 0;
};

}  // namespace quorlix::platform
