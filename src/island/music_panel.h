#pragma once
// The expanded island's music page, in one of four states chosen at each render: the player
// switched off in the settings; the compact player on a narrow island; the wide player
// (artwork, titles, progress, controls and, beside them, the synced lyrics); or nothing
// playing. It owns the action that opens and closes the audio-output menu, which the root
// view draws under the controls' output button.
//
//     MusicPanel{}
//
// Reads `NowPlayingService`, `AppSettings` and the island's `IslandState` from the
// environment.

#include "ui/view.h"

namespace quorlix {

class IslandState;

struct MusicPanel : ui::ViewModifiers<MusicPanel> {
    // The wide player's artwork side for an island body `bodyHeight` points tall.
    static double artworkSide(double bodyHeight, bool tallBody);
    // Flips the output menu inside its spring.
    static void toggleOutputs(IslandState& island);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
