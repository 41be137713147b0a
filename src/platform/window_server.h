#pragma once
// What the window system tells about the desktop as a whole: screens coming and going,
// workspace switches, another application coming to the front, the window in front going
// into or out of full screen, and the windows on screen (for telling whether the frontmost
// application fills a screen).
//
// Window bounds are in the window system's space: points with the origin at the top left of
// the primary screen, y downward. Main thread only.

#include "platform/geometry.h"
#include "platform/published.h"
#include "platform/workspace.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorlix::platform {

struct OnScreenWindow {
    std::int64_t ownerProcessIdentifier = 0;
    // 0 for ordinary application windows; higher for panels, docks and the like.
    int layer = 0;
    Rect bounds;
};

class WindowServer {
public:
    virtual ~WindowServer() = default;

    // Displays added, removed, rearranged or resized.
    [[nodiscard]] virtual Subscription onScreenParametersChanged(std::function<void()> handler) = 0;
    // The user switched to another workspace.
    [[nodiscard]] virtual Subscription onActiveSpaceChanged(std::function<void()> handler) = 0;
    // Another application came to the front.
    [[nodiscard]] virtual Subscription onApplicationActivated(std::function<void()> handler) = 0;
    // The window in front went into or out of full screen, or no window is in front any more
    // (the last one was minimised or closed).
    [[nodiscard]] virtual Subscription onFrontWindowChanged(std::function<void()> handler) = 0;

    // The application in front, when known.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // This process as the window system knows it.
    virtual RunningApplication currentApplication() const = 0;
    // The windows on screen, front to back, desktop elements left out; nothing when the list
    // cannot be read.
    virtual std::optional<std::vector<OnScreenWindow>> onScreenWindows() const = 0;
};

}  // namespace quorlix::platform
