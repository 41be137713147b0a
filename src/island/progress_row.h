#pragma once
// The wide music page's progress row: the seek bar with the elapsed and the remaining time
// under it, redrawn once a second while music plays and not at all while it is paused. While
// the bar is dragged the texts show the dragged time; when the drag ends they follow the
// player again. Its time format is shared with the compact player and the lock screen.
//
//     ProgressRow{.duration = track.duration}
//     ProgressRow::format(61)   // "1:01"
//
// Reads `NowPlayingService` from the environment.

#include "ui/view.h"

#include <string>

namespace quorlix {

struct ProgressRow : ui::ViewModifiers<ProgressRow> {
    // The track's length, seconds.
    double duration = 0;

    // Whole minutes, a colon and two digits of seconds, rounded down: 59.9 is "0:59", 3725
    // is "62:05". A time that is not a finite number, or below 0, is "0:00".
    static std::string format(double seconds);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
