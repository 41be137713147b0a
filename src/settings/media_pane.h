#pragma once
// The Music pane: whether the player shows, which player app it follows (cards with each
// app's mark), what the player's left button does, how the closed island shows the track,
// and how long after a pause it lets the track go. Every control writes its `AppSettings`
// key at once; the hide delay moves in six steps (`AppSettings::hideAfterSteps`).

#include "ui/shape.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct MediaPane {
    ui::View body(ui::Context& ctx) const;

    // The delay `seconds` in words: "Al instante", "5 s", "1 min", "Nunca" (above 600 s, and
    // for what is not a number).
    static std::string hideAfterLabel(double seconds);
    // The slider position (0...5) of a stored delay: its step's index, 0 when it is none.
    static int hideAfterPosition(double seconds);
    // The delay stored for a slider value: the step at the nearest position.
    static double hideAfterSeconds(double position);
};

// The green disc with three black arcs, square and centred in whatever frame it gets.
struct SpotifyLogo {
    ui::View body(ui::Context& ctx) const;
};

// One of the logo's arcs: one quadratic curve across a square `side` points wide, starting
// at the top-left of the rectangle it is given.
struct SpotifyArc : ui::ShapeBase<SpotifyArc> {
    double y = 0;
    double width = 0;
    double lift = 0;
    ui::Path path(const Rect& rect) const;
};

}  // namespace quorlix
