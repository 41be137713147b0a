#pragma once
// Where the island sits on one screen and how large the notch is that it hugs. Screens with
// a camera housing report it through their top safe-area inset and the two menu-bar areas
// beside it; any other screen gets a floating island, a fixed pill just below the top edge, or
// below the inset where the desktop keeps a bar along that edge.

#include "platform/geometry.h"
#include "platform/screen.h"

namespace quorlix {

struct NotchGeometry {
    Rect screenFrame;
    Size notchSize;
    double centerX = 0;
    bool hasNotch = false;
    bool floating = true;
    double topGap = 0;

    // Reads the screen and the developer switch `forceFloating` of the standard defaults.
    explicit NotchGeometry(const platform::Screen& screen);
    NotchGeometry(const platform::Screen& screen, bool forceFloating);

    static constexpr Size floatingSize{84, 24};
};

}  // namespace quorlix
