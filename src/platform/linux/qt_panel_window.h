#pragma once
// The island's panel on Linux: the view layer's panel window (a translucent, frameless window
// of fixed size that hosts the view tree, stays above other windows on every workspace, never
// takes the focus, lets the pointer through outside its input shape and fades its opacity),
// made an override-redirect window on X11, so the window manager leaves it exactly where it
// is put, above the desktop's own top bar.
//
// Leaving it out of screenshots has no X11 equivalent and does nothing. Main thread only.

#include "platform/panel_window.h"

#include <functional>

namespace quorlix::platform {

class QtPanelWindows final : public PanelWindows {
public:
    // `pointerMoved` hears of every move of the pointer over a panel, into it and out of it.
    explicit QtPanelWindows(std::function<void()> pointerMoved = {})
        : pointerMoved_(std::move(pointerMoved)) {}
    std::unique_ptr<PanelWindow> makePanel(const Rect& frame) override;

private:
    std::function<void()> pointerMoved_;
};

}  // namespace quorlix::platform
