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

namespace quorlix::platform {

class QtPanelWindows final : public PanelWindows {
public:
    std::unique_ptr<PanelWindow> makePanel(const Rect& frame) override;
};

}  // namespace quorlix::platform
