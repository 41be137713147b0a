#pragma once
// Screens from Qt. Linux reports no camera housing, so every screen has a zero safe area and
// no auxiliary areas, and the island floats. Frames are converted to the bottom-left origin
// space, measured from the primary screen.

#include "platform/screen.h"

#include <QPoint>
#include <QRect>

namespace quorlix::platform {

// Between Qt's global space (origin at the top left, y downward) and ours (origin at the
// bottom left, y upward), both measured from the primary screen.
Rect fromQtGeometry(const QRect& geometry);
QRect toQtGeometry(const Rect& frame);
// The same with the primary screen's height given.
QRect toQtGeometry(const Rect& frame, double primaryHeight);
// The pixel at `point`, the corner of it that is its origin here: the point lies in a
// rectangle exactly when the pixel lies in the rectangle's pixels (`toQtGeometry`).
Point fromQtPoint(const QPoint& point);

class QtScreens final : public Screens {
public:
    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
};

}  // namespace quorlix::platform
