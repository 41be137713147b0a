#pragma once
// What the island shows inside its outline for each mode: the live activity, the timer or
// agent view, or the HUD shown now, beside the notch; the expanded island's pages below it.

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
