#pragma once
// A panel: a transparent, borderless window of one fixed size that hosts a root view, stays
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
// Coordinates are the window system's: top-left origin, y down, in points. Without an X11
// display (the offscreen platform of tests) the input region is kept but has no effect.
// Main thread only.

#include "ui/animated_value.h"
#include "ui/qt/host_widget.h"
#include "ui/view_host.h"

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
    Size size() const { return size_; }

    void setFrameOrigin(Point topLeft);
    void show();
    void hide();
    bool isVisible() const;

    // The window's opacity, at once or animated.
    void setOpacity(double opacity, const std::optional<Animation>& animation = std::nullopt);
    double opacity() const { return opacity_.value(); }

    // The parts of the window (in its own points) that take pointer events and drops; the
    // pointer passes through the rest to the windows below. Empty: through everywhere.
    void setInputRegion(std::vector<Rect> region);
    const std::vector<Rect>& inputRegion() const { return inputRegion_; }

private:
    void applyInputRegion();
    void applyWindowStates();

    Size size_;
    std::unique_ptr<ViewHost> host_;
    std::unique_ptr<HostWidget> widget_;
    AnimatedValue opacity_;
    std::vector<Rect> inputRegion_;
};

}  // namespace quorlix::ui::qt
