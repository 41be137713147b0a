#pragma once
// What stands in, in a Wayland session, for the X server's word that the pointer has left a
// panel. XWayland (22, under GNOME Shell 43 and weston) tells an X window nothing when the
// pointer leaves it for a Wayland window, the desktop or the shell's bar: the window goes on
// believing the pointer over it, and an island opened under the pointer would never close.
//
// While the pointer is over a panel, four clear windows of our own cover the rest of its
// screen: above, below, left and right of where the panel takes the pointer. They never stand
// over those areas, so how the compositor stacks them against the panel does not matter. The
// pointer leaving the panel's areas enters one of them, which tells that it has left; they go
// at once, and the windows below have the pointer back. They never come back over a pointer
// that has left: strips asked for before the word of a leave reached the main thread are not
// spread, and the panel's events from before the leave (the server's time tells) are known
// for what they are (`cameBeforeLeaving`). They move only when the areas they surround change.
//
// What XWayland 22 does that this answers, besides the silent leave:
// - A panel's window that is resized or moved under a still pointer gets a leave and an enter
//   (GNOME Shell 43, weston 10): with the strips out, a leave of the panel is no leave.
// - For a moment after an X window moved, GNOME Shell 43 goes on handing XWayland the moves
//   over it measured from where it was, and XWayland puts the pointer that far from where the
//   window is now: strips moved away from under the pointer to a place near the screen would
//   bring it onto the island, as if it came back. They wait farther off than the screens reach.
//
// The strips cost no pixels: the server fills them with a clear background of its own (a
// 32-bit visual), nothing is drawn into them, and they are made and mapped once, then moved
// out of the way and back instead of being unmapped and mapped. They live on an X connection
// and a thread of their own, which moves them away the moment the pointer enters one, however
// busy the main thread is: a click right after leaving reaches the program below. The main
// thread hears of the leave afterwards. They also go while a button is down over the panel
// (the press holds the pointer there, and a drag out of the panel must find the windows
// below) and when the panel goes.
//
// Coordinates are the X server's pixels. Made, used and destroyed on the main thread.

#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorlix::platform {

class WaylandPointerCatch {
public:
    // On the X display `display` ($DISPLAY when empty); `left` runs on the main thread each
    // time the pointer left through a strip. Without a display it catches nothing.
    WaylandPointerCatch(const std::string& display, std::function<void()> left);
    ~WaylandPointerCatch();
    WaylandPointerCatch(const WaylandPointerCatch&) = delete;
    WaylandPointerCatch& operator=(const WaylandPointerCatch&) = delete;

    // The pointer is over a panel that takes it in `areas` on `screen`: the strips spread
    // around them, or follow them when they are there already.
    void spread(const std::vector<QRect>& areas, const QRect& screen);
    // The strips go: the pointer has left some other way, a button went down over the panel,
    // or the panel is going.
    void dismiss();
    // Whether the strips are spread (as the main thread last heard).
    bool isSpread() const { return spread_; }
    // Whether an event of the server's time `serverTime` happened no later than the pointer's
    // last leave through a strip: it tells nothing of where the pointer is now.
    bool cameBeforeLeaving(std::uint32_t serverTime) const;

private:
    struct Shared;
    void caught(std::uint32_t serverTime);

    std::shared_ptr<Shared> shared_;
    std::function<void()> left_;
    bool spread_ = false;
    std::array<QRect, 4> strips_;
    // The leaves through a strip heard of, and the server's time of the last.
    std::uint64_t caughtCount_ = 0;
    std::uint32_t caughtAt_ = 0;
};

}  // namespace quorlix::platform
