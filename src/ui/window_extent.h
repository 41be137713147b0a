#pragma once
// The part of a view host's space that a window shows when it need not show all of it: what
// the views draw, in the frame shown and in the layout it moves towards, and where the window
// takes the pointer, cut to a limit and rounded out to whole points. The island's window is that
// large and no larger: a Wayland compositor gives an X window every pointer event over it,
// whatever its input shape says, so a window larger than its drawing takes the pointer from
// the programs under it.
//
// Every change of the window costs the window system a new picture of it (the server's copy,
// the compositor's, a drawing of the whole window), so the extent changes once for a motion,
// twice at most: it grows once, as the motion starts, to everything the motion reaches on its
// way, its springs' overshoot included; it shrinks once the rest of the motion stays within
// where it ends, not when the motion stops: a spring's last fraction of a point takes longer
// than all that shows, and the window would hold what is no longer drawn for that long.
//
//     ui::WindowExtent extent(panelBelowTheBar);
//     host.onFrame = [&] {
//         if (extent.update(host.graph())) moveWindowTo(extent.rect());
//         draw();
//     };
//
// Main thread only.

#include "platform/geometry.h"
#include "ui/display_list.h"

#include <cstdint>
#include <vector>

namespace quorlix::ui {

class ViewGraph;

class WindowExtent {
public:
    explicit WindowExtent(Rect limit) : limit_(limit) {}

    // What the window may leave out of what is drawn: two points along its edges, where only
    // the faintest end of a shadow's reach is (a spring's overshoot past where it ends, mostly,
    // which then costs no change of the window before and after).
    static constexpr double slack = 2;

    // The part of the host's space the window may ever cover.
    void setLimit(const Rect& limit);
    const Rect& limit() const { return limit_; }
    // Where the window takes the pointer, in the host's space: always inside the extent once
    // the extent follows. With `frameDue` (the host draws a frame before anything else runs)
    // the extent follows at that frame, with what the frame draws: one change instead of two.
    // Whether the extent changed now.
    bool setInputRegion(const std::vector<Rect>& areas, ViewGraph& graph, bool frameDue);

    // After each frame of `graph`: whether the extent changed.
    bool update(ViewGraph& graph);

    // Empty until the first update; never empty after it (a point of the limit at the least, as
    // a window cannot be smaller).
    const Rect& rect() const { return rect_; }

private:
    // `drawn` and the input region, cut to the limit, out to whole points.
    Rect fit(const Rect& drawn) const;
    // Everything the graph's running motions draw from now until they end.
    Rect reach(ViewGraph& graph);
    // Whether the rest of the graph's motion stays within `end`.
    bool staysWithin(ViewGraph& graph, const Rect& end, const Rect& shown);
    bool settle(ViewGraph& graph);
    bool set(const Rect& extent);

    Rect limit_;
    std::vector<Rect> input_;
    Rect drawn_;
    Rect rect_;
    // The update of the graph the extent last looked at, and until when the motion then under
    // way goes beyond where it ends.
    std::uint64_t update_ = 0;
    double beyondUntil_ = 0;
};

}  // namespace quorlix::ui
