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
// The devices' moves are read only while one may matter: while the pointer is over one of the
// application's windows (told by the windows themselves), while a button is down (a drag, which
// may carry a file onto the island), and while someone follows every move (`followMoves`: the
// open island, which closes when the pointer leaves it). Elsewhere the server sends none, and a
// pointer moving far from the island costs nothing; windows that must hear of its arrival take
// the pointer where it matters. Moves that come within a frame of each other are told once, as
// the last of them, and the pointer's place is asked of the server then.
//
// A pointer moved by a program (warped, as xdotool does) makes no raw event; the RECORD
// extension tells of each warp instead (`X11PointerWarps`), and the pointer's place is read
// then. The application's own windows also report what they see of the pointer.
//
// In a Wayland session (through XWayland) an X client hears of the pointer only while it is
// over one of its own windows: there the own windows' events (crossings, moves, the left
// button, the wheel, drags of files) are what tells of the pointer, and leaving them puts it
// `nowhere` (`XWaylandOwnWindows` keeps what they told).
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
    // On the display named `display` ($DISPLAY when empty), as an X client of a Wayland
    // session or not.
    explicit X11PointerMonitor(const std::string& display = {}, bool waylandSession = false);
    ~X11PointerMonitor() override;

    std::optional<Subscription> monitor(std::function<void(const PointerEvent&)> handler) override;
    Point mouseLocation() const override;
    std::int64_t dragChangeCount() const override;
    bool followsPointerEverywhere() const override { return !throughXWayland(); }
    bool tellsEveryMove() const override { return false; }
    // Whether our windows are X windows of a Wayland session, shown through XWayland: the
    // compositor decides who has the pointer, tells XWayland of it only over our windows and
    // of its leaving not at all, and keeps our windows' input shapes its own way. What a panel
    // does about it keys on this.
    bool throughXWayland() const;
    Subscription followMoves() override;
    // Reads the raw events the server sent before the call and reports them with any move
    // still held back.
    void reportPendingEvents() override;

    // What the application's windows see of the pointer. A move over one of them.
    void pointerMovedOverOwnWindow();
    // The pointer came into one of them, or went out of it: crossings, which a window changing
    // under a still pointer makes too. Each is told as a move where the pointer is no longer
    // where it was last told to be: an arrival with no move after it (a jump, a tap) is one.
    // In a Wayland session each is a move: into the window, to where the pointer is; out of
    // it, to `nowhere`.
    void pointerEnteredOwnWindow();
    void pointerLeftOwnWindow();
    // The left button pressed or released over one of them.
    void leftButtonOverOwnWindow(bool pressed);
    // A scroll of (dx, dy) over one of them, in the platform's signs: points of a touchpad
    // when `precise`, else lines of a wheel; `time` is the X server's.
    void wheelOverOwnWindow(double dx, double dy, bool precise, bool natural, std::uint32_t time);
    // A drag of data moved over one of the application's windows, to `at` (global points), or
    // ended there (`ended`: dropped at `at`, or gone out of the window when `at` is nothing).
    void dragOverOwnWindow(std::optional<Point> at, bool ended = false);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quorlix::platform
