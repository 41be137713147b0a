#pragma once
// The island's panel on Linux: the view layer's panel window (a translucent, frameless window
// of fixed size that hosts the view tree, stays above other windows on every workspace, never
// takes the focus, lets the pointer through outside its input shape and fades its opacity),
// made an override-redirect window on X11, so the window manager leaves it exactly where it
// is put, above the desktop's own top bar.
//
// A panel told where it stands against screen lockers is raised at each showing: above every
// window, or just below a locker's window, again whenever one appears. Leaving it out of
// screenshots has no X11 equivalent and does nothing. Main thread only.

#include "platform/panel_window.h"

class QWheelEvent;

namespace quorlix::platform {

// A scroll over a panel as the pointer monitor takes it: points with precise deltas when Qt
// gives pixel deltas, else lines of a wheel; in the platform's signs.
struct OwnWindowScroll {
    double dx = 0;
    double dy = 0;
    bool precise = false;
    bool natural = false;
    // The X server's time of the event.
    std::uint32_t time = 0;
};
OwnWindowScroll ownWindowScroll(const QWheelEvent& wheel);

class X11PointerMonitor;
class X11ScreenLockers;

class QtPanelWindows final : public PanelWindows {
public:
    // `pointer` hears of every move of the pointer over a panel, into it and out of it, and of
    // data dragged over it; `lockers` (none without an X display) stacks the panels against
    // screen lockers.
    explicit QtPanelWindows(X11PointerMonitor* pointer = nullptr, X11ScreenLockers* lockers = nullptr)
        : pointer_(pointer), lockers_(lockers) {}
    std::unique_ptr<PanelWindow> makePanel(const Rect& frame) override;

private:
    X11PointerMonitor* pointer_;
    X11ScreenLockers* lockers_;
};

}  // namespace quorlix::platform
