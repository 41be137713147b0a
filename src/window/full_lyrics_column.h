#pragma once
// The full-artwork lock view's synced lyrics: the current line at the column's middle,
// larger and filling from left to right while it is sung, with up to three lines before it
// and four after, fainter and softer the further they stand. Lines move with a spring when
// the current one changes, the lower ones a little later. Up to 30 frames a second while
// music plays, none while it is paused. An empty line shows "♪".
//
//     FullLyricsColumn{.lineSpacing = 0.097 * h, .fontSize = std::max(0.041 * h, 30.0)}
//
// It reads the now-playing and lyrics services and the settings (the lyrics offset) from the
// environment. Main thread only.

#include "services/lyrics_service.h"
#include "ui/view.h"

#include <vector>

namespace quorlix {

struct FullLyricsColumn : ui::ViewModifiers<FullLyricsColumn> {
    // Between the centres of two lines, points.
    double lineSpacing = 0;
    double fontSize = 0;

    ui::View body(ui::Context& ctx) const;

    // How much of line `index` is sung at `time`, 0...1: from its own time to the next
    // line's (the last line takes 4 s, and two lines at one time 0.1 s); 0 for no line.
    static double progress(const std::vector<LyricLine>& lines, int index, double time);
};

}  // namespace quorlix
