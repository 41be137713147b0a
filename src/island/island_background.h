#pragma once
// The fill behind the island, in the island's outline. The island is always drawn as an
// opaque black body: `glass`, `transparency` and `notchBand` are carried for a translucent
// look that no caller selects, and leave the black look unchanged.

#include "ui/shape.h"
#include "ui/view.h"

namespace quorlix {

struct IslandBackground : ui::ViewModifiers<IslandBackground> {
    ui::AnyShape shape;
    bool glass = false;
    double transparency = 0;
    double notchBand = 0;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
