#pragma once
// The X11 system tray: the owner of the screen's `_NET_SYSTEM_TRAY_S<n>` selection, watched on
// a connection of our own for the icon colours it asks for (`_NET_SYSTEM_TRAY_COLORS`:
// foreground, error, warning and success, 16 bits a channel) and for a tray that comes, goes
// or changes them. Main thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <xcb/xcb.h>

namespace quorlix::platform {

class X11Connection;

class X11SystemTray {
public:
    // Watches the tray of `display` ($DISPLAY when empty), calling `changed` whenever a tray
    // comes or goes or its colours change; nothing when there is no display to reach.
    static std::unique_ptr<X11SystemTray> open(std::function<void()> changed,
                                               const std::string& display = {});
    ~X11SystemTray();

    // The foreground colour of the present tray; nothing without a tray or colours.
    std::optional<std::array<std::uint32_t, 3>> foreground();

private:
    X11SystemTray(std::unique_ptr<X11Connection> x, std::function<void()> changed);
    // Finds the selection's owner and watches it.
    void follow();
    void handle(const xcb_generic_event_t& event);

    std::unique_ptr<X11Connection> x_;
    std::function<void()> changed_;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
};

}  // namespace quorlix::platform
