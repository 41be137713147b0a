#pragma once
// Screens from Qt. Linux reports no camera housing, so every screen has a zero safe area and
// no auxiliary areas, and the island floats. Frames are converted to the bottom-left origin
// space, measured from the primary screen.

#include "platform/screen.h"

namespace quorlix::platform {

class QtScreens final : public Screens {
public:
    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
};

}  // namespace quorlix::platform
