#pragma once
// The pointer anywhere on screen: every move, left-button press, release and drag, and every
// scroll, whichever application's window it goes to. The island's panels let the pointer
// through while closed, so this is how an island learns that the pointer reached it.
//
// Moves come a hundred times a second and more while a hand moves the mouse, and most are far
// from anything that cares. A monitor may tell of them only where they matter: over the
// application's own windows, while a button is down, and wherever the pointer goes while
// someone follows them (`followMoves`). Where it does (`tellsEveryMove` false), a window that
// must hear of the pointer's arrival takes the pointer there.
//
// Scroll events carry what a trackpad gesture needs: precise (trackpad) or line (wheel)
// deltas, the gesture's phase, momentum after the fingers left, and whether the user scrolls
// "naturally" (content follows the fingers).
//
// Deltas follow the platform's sign: positive `deltaY` scrolls up (a wheel turned away from
// the user), positive `deltaX` scrolls left. Locations are global screen points, origin at
// the bottom left. Main thread only.

#include "platform/geometry.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorlix::platform {

enum class PointerEventType { leftMouseDown, leftMouseUp, mouseMoved, leftMouseDragged, scrollWheel };

enum class ScrollPhase { none, began, changed, ended, cancelled };

struct ScrollDetail {
    // Points with precise deltas (a trackpad), lines otherwise (a wheel).
    double deltaX = 0;
    double deltaY = 0;
    bool hasPreciseScrollingDeltas = false;
    // The fingers' gesture; `none` for wheels and for momentum.
    ScrollPhase phase = ScrollPhase::none;
    // The coasting after the fingers left; `none` while they touch.
    ScrollPhase momentumPhase = ScrollPhase::none;
    // The device scrolls naturally: the deltas are inverted from the fingers' direction.
    bool isDirectionInvertedFromDevice = false;

    bool isMomentum() const { return momentumPhase != ScrollPhase::none; }
};

struct PointerEvent {
    PointerEventType type = PointerEventType::mouseMoved;
    // Where the pointer was.
    Point location;
    // Meaningful for `scrollWheel` only.
    ScrollDetail scroll;
};

class PointerMonitor {
public:
    // The location of a pointer away from every place the monitor can see: off every screen.
    static constexpr Point nowhere{-1e9, -1e9};

    virtual ~PointerMonitor() = default;

    // Calls `handler` on the main thread for every pointer event, until the subscription
    // ends; none when the system offers no way to watch the pointer.
    [[nodiscard]] virtual std::optional<Subscription> monitor(
        std::function<void(const PointerEvent&)> handler) = 0;
    // Where the pointer is now; `nowhere` while it is away from the application's windows
    // and the monitor cannot follow it there.
    virtual Point mouseLocation() const = 0;
    // Whether the monitor can hear of the pointer wherever it goes, when asked to follow it.
    // Where it hears of it only over the application's own windows (an X client in a Wayland
    // session), `mouseLocation` is `nowhere` away from them.
    virtual bool followsPointerEverywhere() const { return true; }
    // Whether every move is told without anyone following them. Where it is not, moves are
    // told over the application's own windows and while a button is down: the pointer's
    // arrival anywhere else goes unheard.
    virtual bool tellsEveryMove() const { return followsPointerEverywhere(); }
    // Every move is told, as far as the monitor hears of them, while the subscription lives.
    [[nodiscard]] virtual Subscription followMoves() { return {}; }
    // Grows each time a drag from any application puts data (files) on the drag pasteboard.
    virtual std::int64_t dragChangeCount() const = 0;
    // Reports, before it returns, every event that happened before the call and is not yet
    // reported. Where events reach the monitor on a way of their own, they may still be on it
    // when the application acts on what they caused: a menu item chosen by the release of the
    // button acts before the monitor has told of that release.
    virtual void reportPendingEvents() {}
};

}  // namespace quorlix::platform
