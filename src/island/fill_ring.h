#pragma once
// A labelled battery ring for the device detail card: a 32-point ring with the level's number
// inside and a caption under it. The arc grows in once, `delay` after the ring first
// appears; a later level changes the number but not the arc.
//
//     FillRing{.value = 80, .label = "Izq.", .delay = 0.05}

#include "ui/view.h"

#include <string>

namespace quorlix {

struct FillRing : ui::ViewModifiers<FillRing> {
    // The battery level, percent.
    int value = 0;
    std::string label;
    // Extra wait before the arc grows in, seconds.
    double delay = 0;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
