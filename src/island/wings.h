#pragma once
// The container of every closed-island view that shows something beside the notch: a left
// wing, an empty gap exactly as wide as the notch (the camera housing covers it) and a right
// wing, each wing as wide as half of what the island adds to the notch. The left content sits
// at its wing's outer edge, the right content at its own.
//
//     Wings{.notch = notch, .left = Symbol("speaker.wave.2.fill"), .right = LevelBar(...)}

#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

// A notch lower than 28 points: the closed island's views then use smaller margins, fonts and
// artwork.
inline bool isSmallNotch(Size notch) { return notch.height < 28; }

struct Wings : ui::ViewModifiers<Wings> {
    Size notch;
    // Margin on each wing's outer side, and on its notch side.
    double edge = 12;
    double inner = 6;
    ui::View left;
    ui::View right;

    // The width of each wing for an island `islandWidth` wide.
    static double wingWidth(double islandWidth, Size notch);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
