#pragma once
// A small battery ring for the device HUD: the level's arc over a faint track, green above 20
// percent and red at or below, with a soft glow. The arc grows in when the ring first appears
// and springs to each new level. The caller gives the frame (the device HUD uses 17 by 17).
//
//     MiniRing{.value = 64}.frame({.width = 17, .height = 17})

#include "ui/view.h"

namespace quorlix {

struct MiniRing : ui::ViewModifiers<MiniRing> {
    // The battery level, percent.
    int value = 0;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
