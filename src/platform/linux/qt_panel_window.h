#pragma once
// The island's panel on X11: a frameless, translucent Qt window that the window manager does
// not manage (override-redirect), so it sits above the other windows on every workspace,
// keeps the frame it is given, even over a desktop's top bar, and never takes the focus.
//
// The pointer's passage is an X shape of the input kind, set to the panel's input areas.
// Its fading is the window's opacity, which a compositing manager applies. Leaving it out of
// screenshots has no X11 equivalent and does nothing.
//
// It draws its view tree with the Qt renderer and draws again whenever an object the tree
// read announces a change. Main thread only.

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
