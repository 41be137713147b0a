#pragma once
// The pointer on X11, wherever it goes: XInput 2 raw events on the root window (they reach us
// whichever window gets the pointer, and also while another program holds a grab, as a drag
// does), with the pointer's place read when each event arrives.
//
// Scrolls come from the devices' smooth-scrolling axes: a touchpad (recognised by its tapping
// or Synaptics settings) gives precise deltas in points, a wheel gives lines; the plain wheel
// clicks of devices without such axes (and of xdotool) count as one line each. Natural
// scrolling is read from libinput's setting. Gesture phases are made up by `ScrollGesture`.
//
// The drag pasteboard's change count counts the times a program took the drag-and-drop
// selection (XdndSelection), which it does as each drag of data begins.
//
// A pointer moved by a program (warped, as xdotool does) makes no raw event; the
// application's own windows report what they see of such moves, so the pointer leaving an
// open island is never missed. A closed island takes no input, so a warp onto it is seen at
// the pointer's next real move.
//
// Each raw event also comes as a copy from its master device; only the physical device's
// counts, so one press or wheel click is one event.
//
// Without a display, or without XInput 2.2, nothing is watched and `monitor` gives nothing.

#include "platform/pointer_monitor.h"

#include <memory>
#include <string>

namespace quorlix::platform {

class X11PointerMonitor final : public PointerMonitor {
public:
    // On the display named `display` ($DISPLAY when empty).
    explicit X11PointerMonitor(const std::string& display = {});
    ~X11PointerMonitor() override;

    std::optional<Subscription> monitor(std::function<void(const PointerEvent&)> handler) override;
    Point mouseLocation() const override;
    std::int64_t dragChangeCount() const override;

    // The pointer moved over one of the application's windows, or into or out of one.
    void pointerMovedOverOwnWindow();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quorlix::platform
