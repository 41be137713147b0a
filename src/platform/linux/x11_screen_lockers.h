#pragma once
// Screen lockers as X11 shows them: a locker (xscreensaver, i3lock, slock, xsecurelock...)
// covers a whole screen with a window it maps without the window manager (override-redirect),
// on top of everything. This watches such windows of other programs come and go, and stacks
// our own windows against them.
//
// X11 gives each connection its own range of window identifiers: windows in the range of
// `ownBase` are this program's own and never count as a locker. A window counts as full
// screen when it covers the root window or one of the areas `screenAreas` answers (monitors,
// in the X server's pixels). Uses a connection of its own, read on Qt's event loop. Main
// thread only.

#include "platform/geometry.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quorlix::platform {

class X11Connection;

class X11ScreenLockers {
public:
    using ScreenAreas = std::function<std::vector<Rect>()>;

    // On `display` ($DISPLAY when empty); nothing when there is no display to reach.
    static std::unique_ptr<X11ScreenLockers> open(std::uint32_t ownBase, ScreenAreas screenAreas = {},
                                                  const std::string& display = {});
    ~X11ScreenLockers();
    X11ScreenLockers(const X11ScreenLockers&) = delete;
    X11ScreenLockers& operator=(const X11ScreenLockers&) = delete;

    // A locker window mapped (or grown to full screen) from now on.
    [[nodiscard]] Subscription onShown(std::function<void(std::uint32_t window)> handler);
    // A window `onShown` announced was unmapped or destroyed.
    [[nodiscard]] Subscription onGone(std::function<void(std::uint32_t window)> handler);

    // The locker windows mapped now, bottom to top.
    std::vector<std::uint32_t> mapped();
    // Puts `window` (a top-level window) above every other window or, with `belowLockers`,
    // just below the lowest locker window when one is mapped; done once this returns.
    void raise(std::uint32_t window, bool belowLockers);

private:
    X11ScreenLockers(std::unique_ptr<X11Connection> x, std::uint32_t ownBase, ScreenAreas screenAreas);
    void handle(std::uint8_t type, std::uint32_t window, bool overrideRedirect);
    bool isOwn(std::uint32_t window) const;
    bool isLocker(std::uint32_t window);
    // Those of `windows` that are mapped, override-redirect and full screen, in their order.
    std::vector<std::uint32_t> lockersAmong(const std::vector<std::uint32_t>& windows);
    static bool coversAScreen(const Rect& area, const std::vector<Rect>& screens);

    std::unique_ptr<X11Connection> x_;
    std::uint32_t ownBase_;
    std::uint32_t idMask_;
    ScreenAreas screenAreas_;
    std::set<std::uint32_t> shown_;
    Signal<std::uint32_t> shownSignal_;
    Signal<std::uint32_t> goneSignal_;
};

}  // namespace quorlix::platform
