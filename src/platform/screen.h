#pragma once
// What the system knows of a display. Coordinates are points in the global screen space
// with the origin at the bottom left and y growing upward (the convention the island's
// geometry is written in); the Linux backend converts from the window system's top-left
// space.

#include "platform/geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

struct Screen {
    // Stable while the display stays connected.
    std::string id;
    std::string name;
    Rect frame;
    // The top inset is the height of a camera housing, where there is one.
    EdgeInsets safeAreaInsets;
    // The menu-bar areas left and right of a camera housing; absent on screens without one.
    std::optional<Rect> auxiliaryTopLeftArea;
    std::optional<Rect> auxiliaryTopRightArea;
    bool isBuiltIn = false;
    double backingScaleFactor = 1;
};

class Screens {
public:
    virtual ~Screens() = default;
    virtual std::vector<Screen> screens() const = 0;
    // The screen with the menu bar (the primary one), if any.
    virtual std::optional<Screen> mainScreen() const = 0;
};

}  // namespace quorlix::platform
