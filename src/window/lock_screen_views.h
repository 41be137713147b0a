#pragma once
// The root views of the three lock-screen windows. The controller builds, places and fades
// the windows and attaches the environment objects each view reads; these functions say what
// the windows draw.

#include "services/track.h"
#include "ui/view.h"

#include <optional>

namespace quorlix {

class LockScreenInfo;

struct LockScreenViews {
    // The row with the weather, the battery and the headphones, observing `info`.
    static ui::View infoRow(LockScreenInfo& info);
    // The player card with its artwork, showing `sample` while nothing plays; its output
    // chooser starts open when `choosingOutput` is true.
    static ui::View card(const std::optional<Track>& sample, bool choosingOutput);
    // The full-screen artwork view with the clock and the lyrics.
    static ui::View fullArtwork(const std::optional<Track>& sample, LockScreenInfo& info);
};

}  // namespace quorlix
