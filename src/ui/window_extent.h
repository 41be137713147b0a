#pragma once
// The part of a view host's space that a window shows when it need not show all of it: what
// the views draw, in the frame shown and in the layout it moves towards, and where the window
// takes the pointer, cut to a limit and rounded out to whole points. The island's window is that
// large and no larger: a Wayland compositor gives an X window every pointer event over it,
// whatever its input shape says, so a window larger than its drawing takes the pointer from
// the programs under it.
//
// The extent grows as soon as a frame needs more room, at once to what the layout moves
// towards, so a spring starts in a window of its final size; it shrinks only once nothing
// moves, so a closing spring ends in the window it started in.
//
//     ui::WindowExtent extent(panelBelowTheBar);
//     host.onFrame = [&] {
//         if (extent.update(host.graph().displayList(), host.displayList(), host.graph().isAnimating()))
//             moveWindowTo(extent.rect());
//         draw();
//     };
//
// Main thread only.

#include "platform/geometry.h"
#include "ui/display_list.h"

#include <vector>

namespace quorlix::ui {

class WindowExtent {
public:
    explicit WindowExtent(Rect limit) : limit_(limit) {}

    // The part of the host's space the window may ever cover.
    void setLimit(const Rect& limit);
    const Rect& limit() const { return limit_; }
    // Where the window takes the pointer, in the host's space: always inside the extent.
    // Grows the extent at once when needed; whether it changed.
    bool setInputRegion(const std::vector<Rect>& areas, bool animating);

    // After each frame: `target` is the layout's result, `shown` the frame as drawn, and
    // `animating` whether it still moves. Whether the extent changed.
    bool update(const DisplayItem& target, const DisplayItem& shown, bool animating);

    // Empty until the first update; never empty after it (a point of the limit at the least, as
    // a window cannot be smaller).
    const Rect& rect() const { return rect_; }

private:
    Rect needed() const;
    bool settle(bool animating);

    Rect limit_;
    std::vector<Rect> input_;
    Rect drawn_;
    Rect rect_;
};

}  // namespace quorlix::ui
