#pragma once
// What the progress row and the compact player's time row share: the playback position as it
// stands for each entry of a timeline that runs once a second while music plays and stands
// still while it is paused, or, while the seek bar is dragged, the dragged time instead.
//
//     playerTimeline(ctx, [](double t, const ScrubAction& onScrub) {
//         return ScrubBar{.position = t, .duration = length, .onScrub = onScrub};
//     })
//
// Keeps the dragged time as view state of the calling view; reads `NowPlayingService`.

#include "ui/context.h"
#include "ui/view.h"

#include <functional>
#include <optional>

namespace quorlix {

// Told the time under a dragged seek bar, and nothing once the drag ends.
using ScrubAction = std::function<void(std::optional<double>)>;

ui::View playerTimeline(ui::Context& ctx,
                        std::function<ui::View(double t, const ScrubAction& onScrub)> content);

}  // namespace quorlix
