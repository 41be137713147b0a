#pragma once
// The music page's row of transport buttons: a left button chosen in the settings
// (favourite, shuffle, repeat or nothing), previous, play or pause, next and, when the owner
// gives an output action, the audio-output button. Glyphs without a visible button shape,
// each pressed with `IslandButtonStyle`; everything scales to 80 % on a short island body.
//
// The output button publishes its bounds under `OutputButtonAnchorKey`, so the island's root
// view can hang the output menu under it, and shows a faint backdrop while the menu is open.
// Each time the row comes on screen it has the player re-read shuffle, repeat and favourite.
//
//     ControlsRow{.onOutput = toggleOutputs, .canopy = true}
//
// Reads `NowPlayingService`, `VolumeService` and `AppSettings` from the environment.

#include "ui/view.h"

#include <functional>

namespace quorlix {

struct ControlsRow : ui::ViewModifiers<ControlsRow> {
    // Present: the output button shows and calls it.
    std::function<void()> onOutput;
    // The output button as a round chip (36 × 36 on a faint circle) instead of 30 × 28.
    bool roundOutput = false;
    // The larger variant (the compact player's): bigger glyphs and frames, a plainer output glyph.
    bool canopy = false;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
