#pragma once
// A rounded horizontal gauge that fills from the left: a faint track and, over it, a capsule
// in `tint` as long as `value` of the track. It grows from empty when it first appears, and
// eases to each new value.
//
//     LevelBar{.value = volume.level, .tint = Color::white}.frame({.width = 64, .height = 5})

#include "ui/color.h"
#include "ui/view.h"

namespace quorlix {

struct LevelBar : ui::ViewModifiers<LevelBar> {
    // The fill fraction: at or below 0 empty, above 1 full.
    double value = 0;
    ui::Color tint = ui::Color::white;

    // The filled fraction shown for `value`, before (false) and after the entrance.
    static double fill(double value, bool appeared);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
