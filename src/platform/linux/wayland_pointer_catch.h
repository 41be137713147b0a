#pragma once
// What stands in, in a Wayland session, for the X server's word that the pointer has left a
// panel. XWayland (22, under GNOME Shell 43) tells an override-redirect window nothing when the
// pointer leaves it for a Wayland window, the desktop or the shell's bar: the window goes on
// believing the pointer over it, and an island opened under the pointer would never close.
// Within the panel's rectangle the X server itself sees the pointer leave the panel's input
// shape; beyond it, nothing of ours is there to see it.
//
// While the pointer is over a panel, clear windows of the application's own cover the rest of
// the panel's screen: above, below, left and right of where the panel takes the pointer. They
// never stand over those areas, so how the compositor stacks them against the panel does not
// matter. The pointer leaving the panel's areas lands on one of them, which tells the pointer
// monitor that the pointer has left its windows; they go at once, and the windows below have the
// pointer back with its next move. They also go while a button is down over the panel: the press
// holds the pointer there, and a drag out of the panel must find the windows below. Main thread
// only.

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QRect;
class QWidget;

namespace quorlix::platform {

class X11PointerMonitor;

class WaylandPointerCatch {
public:
    // `areas` gives where the panel takes the pointer, in Qt's global coordinates.
    WaylandPointerCatch(QWidget& panel, X11PointerMonitor& pointer,
                        std::function<std::vector<QRect>()> areas);
    ~WaylandPointerCatch();
    WaylandPointerCatch(const WaylandPointerCatch&) = delete;
    WaylandPointerCatch& operator=(const WaylandPointerCatch&) = delete;

    // The pointer is over the panel: the catch spreads around it, if it is not there already.
    void pointerOverPanel();
    // The panel's areas changed: the catch, if shown, moves around them.
    void areasChanged();
    // The pointer has left the panel some other way, a button went down over it, or the panel
    // is going: the catch goes.
    void dismiss();

private:
    class Strip;
    void place();
    bool overPanel() const;

    QWidget& panel_;
    X11PointerMonitor& pointer_;
    std::function<std::vector<QRect>()> areas_;
    std::array<std::unique_ptr<Strip>, 4> strips_;
    bool shown_ = false;
};

}  // namespace quorlix::platform
