#pragma once
// The X11 system tray: the owner of the screen's `_NET_SYSTEM_TRAY_S<n>` selection, watched on
// a connection of our own for the icon colours it asks for (`_NET_SYSTEM_TRAY_COLORS`:
// foreground, error, warning and success, 16 bits a channel) and for a tray that comes, goes
// or changes them. Main thread only.
//
// A tray that asks for no colours may still be light or dark: what it shows behind our own
// icon is read from the server (the icon window's area of its parent, the tray's window that
// embeds it), once the tray has mapped the icon and again whenever the tray changes, never at
// each frame.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>

namespace quorlix::platform {

class X11Connection;

class X11SystemTray {
public:
    // Watches the tray of `display` ($DISPLAY when empty), calling `changed` whenever a tray
    // comes or goes, its colours change or what it shows behind the icon was read anew;
    // nothing when there is no display to reach.
    static std::unique_ptr<X11SystemTray> open(std::function<void()> changed,
                                               const std::string& display = {});
    ~X11SystemTray();

    // The foreground colour of the present tray; nothing without a tray or colours.
    std::optional<std::array<std::uint32_t, 3>> foreground();

    // The tray icon's own window, whose background is read once a tray has docked and mapped
    // it; XCB_WINDOW_NONE forgets it.
    void watchIcon(xcb_window_t icon);
    // What the tray showed behind the icon when last read, as 0xAARRGGBB (alpha 0xff where
    // the tray's window has none); empty when unread or unreadable.
    const std::vector<std::uint32_t>& behindIcon() const { return behindIcon_; }

private:
    X11SystemTray(std::unique_ptr<X11Connection> x, std::function<void()> changed);
    // Finds the selection's owner and watches it.
    void follow();
    void handle(const xcb_generic_event_t& event);
    // Reads the pixels under the icon from its parent; false when they stay as they were.
    bool readBehindIcon();

    std::unique_ptr<X11Connection> x_;
    std::function<void()> changed_;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    xcb_window_t icon_ = XCB_WINDOW_NONE;
    std::vector<std::uint32_t> behindIcon_;
};

}  // namespace quorlix::platform
