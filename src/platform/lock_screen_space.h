#pragma once
// A layer of the window system drawn above its own lock screen: windows moved into it show
// while the screen is locked. Linux has no such layer (nothing may draw over a screen locker),
// so its backend never creates one.

namespace quorlix::platform {

class PanelWindow;

class LockScreenSpace {
public:
    virtual ~LockScreenSpace() = default;
    // Creates and shows the layer; false when the system offers none.
    virtual bool create() = 0;
    // Moves `window` into the layer, out of every other.
    virtual void add(PanelWindow& window) = 0;
};

}  // namespace quorlix::platform
