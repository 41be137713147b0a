#include "platform/linux/xwayland_own_windows.h"

namespace quorlix::platform {

bool XWaylandOwnWindows::windowScroll(std::uint32_t time) {
    if (rawScrolls_) return false;
    windowScrollTime_ = time;
    placeKnown_ = true;
    return true;
}

bool XWaylandOwnWindows::drag(std::optional<Point> at, bool ended) {
    placeKnown_ = at.has_value();
    const bool news = !ended && !dragging_;
    dragging_ = !ended;
    return news;
}

}  // namespace quorlix::platform
