#pragma once
// What the island shows inside its outline for each mode.
//
// The mode's own views (the live activity, the HUD gauges, the alert, the expanded pages) are
// built with their own features; until then each mode shows a plain stand-in beside the
// notch: the symbol of what it shows and, where there is one, its value.

#include "island/island_mode.h"
#include "platform/geometry.h"
#include "ui/view.h"

namespace quorlix {

class HUDCenter;
class IslandState;

// The content of mode `m`, built from the HUD shown now where the mode is a HUD's; nothing
// when the HUD shown is not of the mode's kind.
ui::View islandContent(IslandMode m, const HUDCenter& hud, IslandState& state, Size notch);

}  // namespace quorlix
