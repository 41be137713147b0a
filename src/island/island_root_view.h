#pragma once
// The root of one island panel's view tree. On every render it works out the island's mode
// (the same rule the notch window controller hit-tests with), asks `IslandLayout` for the
// island's size in that mode, picks the outline (the notch outline over a camera housing, a
// rounded rectangle on a floating island), and draws the black background, a shadow and the
// mode's content, hanging centred from the panel's top edge. It hands the island's width and
// the output-menu flag down to every view inside, and shows the audio-output menu under the
// music page's output button while it is open.
//
// The services are environment objects supplied by the panel, the island's own state among
// them. Main thread only.

#include "foundation/notch_geometry.h"
#include "island/island_mode.h"
#include "island/island_services.h"
#include "island/island_state.h"
#include "ui/shape.h"
#include "ui/view.h"

namespace quorlix {

struct IslandRootView : ui::ViewModifiers<IslandRootView> {
    IslandState* state;
    NotchGeometry geometry;

    IslandRootView(IslandState& state, NotchGeometry geometry) : state(&state), geometry(geometry) {}

    ui::View body(ui::Context& ctx) const;

    // The outline of the island in a mode, with its place in the panel.
    struct Outline {
        ui::AnyShape shape;
        // The flare of the notch outline's top corners (0 on a floating island), which is
        // also the horizontal padding that keeps the content inside the outline's body.
        double topRadius = 0;
        // The notch outline's bottom radius, or the floating island's corner radius.
        double radius = 0;
        // The height of the notch's own band, passed to the background (0 floating).
        double notchBand = 0;
    };
    static Outline outline(IslandMode mode, const NotchGeometry& geometry, double height);

    struct Shadow {
        double opacity = 0;
        double radius = 0;
        double y = 0;
    };
    static Shadow shadow(IslandMode mode, bool floating);

    // Rows of the output menu are 29 points high, with 10 points of margins; never fewer
    // than one row.
    static double outputMenuHeight(int outputCount);
    // Where the output menu's top-leading corner goes in a space of `size`, given the
    // output button's rectangle there: 6 points left of the button and 4 below it, kept 300
    // points from the right edge and 4 above the bottom.
    static Point outputMenuOrigin(Size size, const Rect& button, int outputCount);
};

// The root view with the objects the island's views read handed down to all of them, the
// island's own state last.
ui::View islandTree(IslandState& state, const NotchGeometry& geometry, const IslandServices& services);

}  // namespace quorlix
