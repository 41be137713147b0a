#pragma once
// View trees shaped like the island's, for the benchmarks: the expanded island (141 views:
// tabs, a clipped artwork with its shadow, the player with its progress row, lyrics, events,
// bars, inside the island's outline, clip and shadow), and the resting island's live activity
// (an artwork and an equalizer in a floating capsule).

#include "platform/image.h"
#include "ui/view.h"

namespace quorlix::bench {

// A 120 × 120 picture of noise.
platform::Image artwork();

// The progress row of the player: the bar at `fraction` and the elapsed and remaining times.
ui::View progressBar(double fraction, int elapsed);

// The expanded island of `w` × `h` with top radius `t`; `progressRow` replaces its progress
// row (a still one when null).
ui::View expandedIsland(const platform::Image& art, double w = 640, double h = 190, double t = 14,
                        const ui::View* progressRow = nullptr);

// The resting island's live activity, with `trailing` (an equalizer) on its right.
ui::View restingActivity(const platform::Image& art, const ui::View& trailing);
// Four bars at their heights at `seconds`.
ui::View equalizer(double seconds);

}  // namespace quorlix::bench
