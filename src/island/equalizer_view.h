#pragma once
// A row of thin level bars that move while music plays and freeze when it stops. Each bar
// swings between its `low` and `high` height (fractions of the view's height), taking `speed`
// seconds to rise; its phase comes from the absolute clock, so equalizers with the same bars
// move in step and a bar does not restart when the view comes back. At most 30 frames a second
// while playing, none while paused.
//
//     EqualizerView{.color = accent, .playing = true, .bars = {{0.25, 0.6, 0.44}, {0.45, 0.9, 0.33}}}
//         .frame({.width = 22, .height = 12})

#include "ui/color.h"
#include "ui/view.h"

#include <vector>

namespace quorlix {

struct EqualizerView : ui::ViewModifiers<EqualizerView> {
    struct Bar {
        double low = 0;
        double high = 1;
        // Seconds from `low` to `high`; always positive.
        double speed = 0.4;
    };

    ui::Color color;
    bool playing = false;
    std::vector<Bar> bars;

    // The five bars of the resting live activity, which the compact player shares.
    static const std::vector<Bar>& nowPlayingBars();

    // A bar's height as a fraction of the view's, `seconds` after the reference date.
    static double level(const Bar& bar, double seconds);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
