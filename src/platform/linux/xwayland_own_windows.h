#pragma once
// What an X client of a Wayland session knows of the pointer. XWayland tells it of the pointer
// only while the pointer is over one of its own windows, and keeps, once it has left them, the
// last place it saw it at; it gives Qt's windows no wheel events under GNOME Shell, and gives
// raw events (the wheel's among them) only while the pointer is over an X window. So the
// pointer's place is known between a move, press or scroll over our windows and the next leave;
// the wheel is heard from our windows until a raw scroll has come, and from the raw events
// after; and a drag of data is news when it reaches our windows, its press having happened in
// another program's window, unseen. Main thread only.

#include "platform/geometry.h"

#include <cstdint>
#include <optional>

namespace quorlix::platform {

class XWaylandOwnWindows {
public:
    // Whether the pointer's place is known: it is over one of our windows.
    bool placeKnown() const { return placeKnown_; }
    // A move, a press or a crossing into one of our windows: the place is known.
    void pointerOver() { placeKnown_ = true; }
    // The pointer left our windows, for a place of which nothing is heard.
    void pointerLeft() { placeKnown_ = false; }

    // A scroll one of our windows heard, at the server's time `time`: whether it counts. Once a
    // raw scroll has come, the raw events alone count.
    bool windowScroll(std::uint32_t time);
    // Whether a raw event of the server's time `time` copies a scroll a window told already: no
    // later than the last one told before any raw scroll came.
    bool isCopyOfWindowScroll(std::uint32_t time) const {
        return windowScrollTime_ && static_cast<std::int32_t>(time - *windowScrollTime_) <= 0;
    }
    void rawScrollHeard() { rawScrolls_ = true; }

    // A drag of data over our windows, at `at`, or gone out of them (nothing); `ended` when it
    // ended there. Whether it is news: the first of a drag that began elsewhere.
    bool drag(std::optional<Point> at, bool ended);

private:
    bool placeKnown_ = false;
    bool rawScrolls_ = false;
    std::optional<std::uint32_t> windowScrollTime_;
    bool dragging_ = false;
};

}  // namespace quorlix::platform
