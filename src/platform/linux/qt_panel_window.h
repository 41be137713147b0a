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

#include <functional>

namespace quorlix::platform {

class X11ScreenLockers;

class QtPanelWindows final : public PanelWindows {
public:
    // `pointerMoved` hears of every move of the pointer over a panel, into it and out of it;
    // `lockers` (none without an X display) stacks the panels against screen lockers.
    explicit QtPanelWindows(std::function<void()> pointerMoved = {}, X11ScreenLockers* lockers = nullptr)
        : pointerMoved_(std::move(pointerMoved)), lockers_(lockers) {}
    std::unique_ptr<PanelWindow> makePanel(const Rect& frame) override;

private:
    std::function<void()> pointerMoved_;
    X11ScreenLockers* lockers_;
};

}  // namespace quorlix::platform
