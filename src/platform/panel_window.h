#pragma once
// The island's window: a borderless, transparent panel of fixed size that floats above every
// other window on every workspace, never takes the keyboard focus and never activates the
// application. It hosts one view tree, redrawn whenever an object the tree read publishes.
//
// The pointer reaches the panel only inside its input areas; everywhere else it passes
// through to whatever lies below. The island keeps those areas equal to its hit area while
// open and empty while closed, so a closed island lets every click reach the windows
// underneath. Where the window system heeds no input shape (a Wayland compositor and an X
// window), the panel's window itself is the limit: it covers only what the views draw and the
// input areas, within the part of the panel it may cover.
//
// Frames are in the global screen space (points, origin at the bottom left, y upward); input
// areas are in the panel's own space (points from its top-left corner, y downward, as the
// views lay out). Main thread only.

#include "platform/geometry.h"
#include "platform/hosted_view.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorlix::platform {

class PanelWindow {
public:
    virtual ~PanelWindow() = default;

    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    // Shows the panel above everything, without activating the application.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // Hides the panel for good; it shows nothing more after this.
    virtual void close() = 0;
    virtual bool isVisible() const = 0;

    // The areas that take the pointer; an empty list lets it through everywhere.
    virtual void setInputAreas(const std::vector<Rect>& areas) = 0;
    // The part of the panel (in its own space) its window may ever cover; the whole panel at
    // first. Nothing of the panel is drawn or takes the pointer outside it.
    virtual void setWindowLimit(const Rect& limit) = 0;
    // Leaves the panel out of screenshots and screen recordings, where the system can.
    virtual void setExcludedFromCapture(bool excluded) = 0;
    // Fades the whole panel to `alpha` (0...1) with the system's usual window animation.
    virtual void animateAlpha(double alpha) = 0;
    // Fades the whole panel to `alpha` over `duration` seconds (at once for 0), then calls
    // `completion` from the main queue; the completion may destroy the panel. A later fade
    // drops a completion still pending; so does destroying the panel.
    virtual void fade(double alpha, double duration, std::function<void()> completion) = 0;
    virtual double alpha() const = 0;

    // While set, the panel, otherwise shown above every window, stays just below a screen
    // locker: a full-screen window that another program puts over the screen without the
    // window manager. Off at first.
    virtual void setBelowScreenLockers(bool below) = 0;

    // The view tree drawn in the panel, laid out in the panel's size with `environment`.
    virtual void setContent(const ui::View& root, const ui::EnvironmentValues& environment) = 0;

    // A menu the panel's views opened (a context menu, with its submenus): where it stands
    // while open, and closing it.
    virtual std::optional<Rect> openMenuFrame() const = 0;
    virtual void closeMenus() = 0;
};

class PanelWindows {
public:
    virtual ~PanelWindows() = default;
    // A new panel with `frame`, not shown yet.
    virtual std::unique_ptr<PanelWindow> makePanel(const Rect& frame) = 0;
};

}  // namespace quorlix::platform
