#pragma once
// Weston (10, Debian 12's) draws a newly mapped override-redirect XWayland window only at its
// next repaint of the screen, and the window's later frames wait on that first one: on a still
// desktop, a panel mapped there stays unseen until something else on the screen changes (the
// pointer's shape, a clock), seconds or minutes later.
//
// The compositor places every window it holds when an XWayland window goes, and repaints the
// screen when one that it had placed goes. So once a panel just mapped has drawn its first
// frame, two clear 1 x 1 windows of our own come and go, one after the other, over the panel's
// corner: the first going places the panel, the second going repaints the screen with it.
// They never take the pointer. Twice, the second time later, for a compositor slow to hear of
// the panel. Elsewhere (GNOME) they change nothing on the screen.
//
// On Qt's X connection, main thread only.

#include <QTimer>

#include <cstdint>

namespace quorlix::ui::qt {

class CompositorNudge {
public:
    CompositorNudge();
    ~CompositorNudge();
    CompositorNudge(const CompositorNudge&) = delete;
    CompositorNudge& operator=(const CompositorNudge&) = delete;

    // A window just mapped, with its corner at (x, y) in the X server's pixels, has drawn its
    // first frame.
    void mapped(int x, int y);

private:
    void step();
    void destroy(std::uint32_t& window);

    QTimer timer_;
    int x_ = 0, y_ = 0;
    int step_ = 0;
    std::uint32_t first_ = 0, second_ = 0;
};

}  // namespace quorlix::ui::qt
