#include "ui/qt/compositor_nudge.h"

#include "ui/qt/x11_window_pixels.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace quorlix::ui::qt {

namespace {

// Between one step and the next: ample for a compositor to hear of a window mapped.
constexpr int stepMs = 150;
// Before the second round.
constexpr int againMs = 1500;

xcb_window_t makeClearPixel(xcb_connection_t* c, int x, int y) {
    const xcb_window_t window = mapClearWindow(c, x, y, 1, 1);
    // The pointer passes through it.
    if (window)
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0,
                             0, 0, nullptr);
    return window;
}

}  // namespace

CompositorNudge::CompositorNudge() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
}

CompositorNudge::~CompositorNudge() {
    destroy(first_);
    destroy(second_);
    if (xcb_connection_t* c = x11Connection()) xcb_flush(c);
}

void CompositorNudge::mapped(int x, int y) {
    x_ = x;
    y_ = y;
    // A nudge under way goes on with the new place; one over starts again.
    if (timer_.isActive() || first_ || second_) return;
    step_ = 0;
    timer_.start(stepMs);
}

void CompositorNudge::step() {
    xcb_connection_t* c = x11Connection();
    if (!c) return;
    switch (step_++ % 3) {
        case 0:
            first_ = makeClearPixel(c, x_, y_);
            second_ = makeClearPixel(c, x_, y_);
            break;
        case 1: destroy(second_); break;
        case 2: destroy(first_); break;
    }
    xcb_flush(c);
    if (step_ < 6) timer_.start(step_ == 3 ? againMs : stepMs);
}

void CompositorNudge::destroy(std::uint32_t& window) {
    xcb_connection_t* c = x11Connection();
    if (c && window) xcb_destroy_window(c, window);
    window = 0;
}

}  // namespace quorlix::ui::qt
