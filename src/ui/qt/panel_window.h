#pragma once
// A panel: a transparent, borderless area of one fixed size that hosts a root view, stays
// above other windows on every workspace, never takes the keyboard focus nor shows in the task
// bar, and lets the pointer through everywhere outside its input region (an X11 input shape).
// Its opacity can animate. The notch panel is one.
//
//     ui::qt::PanelWindow panel(IslandRootView{state, geometry}, {920, 340});
//     panel.host().observe(state);
//     panel.setFrameOrigin({screen.x + screen.width / 2 - 460, screen.y});
//     panel.setInputRegion({});                        // closed: every click passes through
//     panel.show();
//     panel.setOpacity(0, Animation::easeInOut(0.25));  // fade out
//
// Its window is no larger than what the views draw and the input region, within a limit
// (`WindowExtent`): it is moved and resized as they change, its first frame at a new size
// drawn with the change, and the window keeps its pixels where they are on screen meanwhile
// (static bit gravity). Faded out wholly, the window is taken off the screen.
//
// What XWayland and the compositors do with such a window, as measured with Xwayland 22.1.9
// under GNOME Shell 43.9 and weston 10.0.1 (Debian 12), and how the panel answers:
// - The input shape: GNOME Shell keeps it only until the window's next frame, weston never
//   heeds it. The compositor gives the window every pointer event over it: the window is no
//   larger than what it draws and takes the pointer in.
// - A window's first frame: weston draws a newly mapped override-redirect window only at its
//   next repaint of the screen, which a still desktop may not bring (`CompositorNudge`).
// - A move: the compositor places the window as soon as it hears of the move, but XWayland
//   sends the picture drawn with the move only after the compositor's word that it showed the
//   window's last one (a frame callback). While a picture drawn less than a frame or two ago
//   waits for that word, the compositor shows the old picture at the new place for a frame:
//   a pill drawn 79 or 151 points from where it is (weston every time, GNOME Shell at times).
//   X tells its clients nothing of that word, so a move there waits until the window has drawn
//   nothing for `stillBeforeMoving`, its frames held meanwhile, and a motion that needs the
//   room waits with it; a resize that keeps the window's corner needs no wait, nor does an X11
//   session, whose server moves and redraws a window at once.
// - Leaving for a Wayland window: XWayland tells an X window nothing (`WaylandPointerCatch`).
//
// Coordinates are the window system's: top-left origin, y down, in points. Without an X11
// display (the offscreen platform of tests) the input region is kept but has no effect.
// Main thread only.

#include "platform/work_item.h"
#include "ui/animated_value.h"
#include "ui/qt/compositor_nudge.h"
#include "ui/qt/host_widget.h"
#include "ui/view_host.h"
#include "ui/window_extent.h"

#include <memory>
#include <optional>
#include <vector>

namespace quorlix::ui::qt {

class PanelWindow {
public:
    PanelWindow(View root, Size size, EnvironmentValues environment = {});
    ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    ViewHost& host() { return *host_; }
    HostWidget& widget() { return *widget_; }
    const HostWidget& widget() const { return *widget_; }
    Size size() const { return size_; }

    // Where the panel's top-left corner stands on screen.
    void setFrameOrigin(Point topLeft);
    Point frameOrigin() const { return frameOrigin_; }
    // The part of the panel (its own points) its window may cover; all of it at first.
    void setLimit(const Rect& limit);
    // The part of the panel its window covers now.
    const Rect& extent() const { return extent_.rect(); }
    void show();
    void hide();
    // Shown (by `show`), faded out or not.
    bool isVisible() const { return shown_; }

    // The window's opacity, at once or animated.
    void setOpacity(double opacity, const std::optional<Animation>& animation = std::nullopt);
    double opacity() const { return opacity_.value(); }

    // The parts of the window (in its own points) that take pointer events and drops; the
    // pointer passes through the rest to the windows below. Empty: through everywhere.
    void setInputRegion(std::vector<Rect> region);
    const std::vector<Rect>& inputRegion() const { return inputRegion_; }

    // Whether each mapping of the window nudges the compositor into showing it
    // (`CompositorNudge`): in a Wayland session.
    void setNudgesCompositor(bool nudges);
    // Whether a move of the window waits for its picture to be still: where the compositor
    // may show the new place with the old picture (a Wayland session).
    void setMovesWaitForStillPicture(bool waits) { movesWait_ = waits; }
    // How long a window's picture stays still before it moves there: two frames of a
    // compositor at 60 a second and their way through XWayland, with room for a busy machine.
    static constexpr double stillBeforeMoving = 0.1;

private:
    void frameShown();
    // Moves and resizes the window to the extent, once its picture has been still long enough
    // where that is needed; `drawn` when the frame that follows draws it.
    void place(bool drawn);
    // Moves and resizes the window to the extent now, the input shape with it.
    void placeWindow(bool drawn);
    // Maps the window while shown and not faded out wholly.
    void updateMapped();
    void applyInputRegion();
    void applyWindowStates();
    void applyWindowAttributes();

    Size size_;
    std::unique_ptr<ViewHost> host_;
    std::unique_ptr<HostWidget> widget_;
    AnimatedValue opacity_;
    std::vector<Rect> inputRegion_;
    WindowExtent extent_;
    Point frameOrigin_;
    bool shown_ = false;
    std::optional<CompositorNudge> nudge_;
    bool nudgeAfterPaint_ = false;
    // Where the window stands now, in the panel's points.
    Rect placed_;
    bool movesWait_ = false;
    platform::WorkItem stillWait_;
};

}  // namespace quorlix::ui::qt
