#pragma once
// The music page's lyrics pane: three lines of the current track's synced lyrics (the line
// being sung large and tinted, the previous and the next small and dim around it) that follow
// the playback position, four times a second at most while music plays and not at all while
// it is paused; a change of line slides the new lines up from below as the old ones fade.
// Without lines to follow it shows a short message, or a small spinner while they load.
//
//     LyricsView{}.frame({.maxWidth = infinity, .maxHeight = infinity})
//
// Reads `NowPlayingService`, `LyricsService` and `AppSettings` (`lyricsOffset`) from the
// environment.

#include "ui/view.h"

namespace quorlix {

struct LyricsView : ui::ViewModifiers<LyricsView> {
    // Lines are shown this long before their time stamp, on top of the user's offset.
    static constexpr double lead = 0.3;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
