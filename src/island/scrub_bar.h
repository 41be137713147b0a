#pragma once
// A thin playback-position bar that thickens under the pointer and seeks the player when
// dragged. While a drag lasts only the bar and the caller (through `onScrub`, told the time
// under the pointer) follow it; when it ends the player is sought once, through
// `NowPlayingService::seek` (an environment object), and `onScrub` is told nothing. A bar of
// no duration shows no fill and takes no drags.
//
//     ScrubBar{.position = t, .duration = track.duration, .height = 4,
//              .onScrub = [scrubTime](std::optional<double> s) { scrubTime = s; }}

#include "ui/view.h"

#include <functional>
#include <optional>

namespace quorlix {

struct ScrubBar : ui::ViewModifiers<ScrubBar> {
    // Where playback is, and the track's length, seconds.
    double position = 0;
    double duration = 0;
    // The bar's thickness at rest, points.
    double height = 4;
    std::function<void(std::optional<double>)> onScrub;

    // The fraction of a bar `width` points wide under a pointer at `x` (its own space).
    static double fraction(double x, double width);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
