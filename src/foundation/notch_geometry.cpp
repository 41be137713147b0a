#include "foundation/notch_geometry.h"

#include "platform/user_defaults.h"

#include <cmath>

namespace quorlix {

NotchGeometry::NotchGeometry(const platform::Screen& screen)
    : NotchGeometry(screen, platform::UserDefaults::standard().boolForKey("forceFloating")) {}

NotchGeometry::NotchGeometry(const platform::Screen& screen, bool forceFloating) {
    const double top = screen.safeAreaInsets.top;
    screenFrame = screen.frame;
    centerX = screen.frame.midX();

    if (forceFloating) {
        notchSize = floatingSize;
        hasNotch = false;
        floating = true;
        // NaN fails the comparison and so counts as 0 too.
        topGap = (top > 0 ? top : 0) + 8;
        return;
    }
    if (top > 0 && screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea) {
        notchSize = {screen.frame.width() - screen.auxiliaryTopLeftArea->width() -
                         screen.auxiliaryTopRightArea->width(),
                     top};
        hasNotch = true;
        floating = false;
        topGap = 0;
        return;
    }
    notchSize = floatingSize;
    hasNotch = false;
    floating = true;
    // A screen without a camera housing that still has a top inset keeps a desktop bar along
    // its top edge: the pill hangs below the bar as it would below the bare edge.
    topGap = (top > 0 ? top : 0) + 3;
}

}  // namespace quorlix
