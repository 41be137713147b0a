#pragma once
// A connection of our own to the X display, read on Qt's event loop: events go to one
// handler, atoms are interned once, and window properties are read with one call each.
//
// A connection separate from Qt's keeps our selections on the root window (pointer events,
// property changes) out of Qt's event handling. Main thread only.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace quorlix::platform {

class X11Connection {
public:
    // Connects to `display` ($DISPLAY when empty); nothing when there is no display to reach.
    static std::unique_ptr<X11Connection> open(const std::string& display = {});
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // The atom named `name`, interned on first use; XCB_ATOM_NONE when it cannot be.
    xcb_atom_t atom(const std::string& name);

    // Every event read from now on, in order. Set once.
    void setEventHandler(std::function<void(const xcb_generic_event_t&)> handler);
    // Reads pending events on the next turn of the event loop: waiting on a reply may have
    // read events off the socket, which the notifier then never reports.
    void drainSoon();
    // Hands the handler, before it returns, every event the server sent before the call: one
    // round trip, then what came ahead of its reply.
    void drainNow();

    // A property of 32-bit items (CARDINAL, WINDOW, ATOM) on `window`; nothing when unset.
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_window_t window, const std::string& property);
    // A text property (UTF8_STRING or STRING) as bytes; nothing when unset.
    std::optional<std::string> text(xcb_window_t window, const std::string& property);

private:
    X11Connection(xcb_connection_t* connection, xcb_window_t root);
    void drain();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::map<std::string, xcb_atom_t> atoms_;
    std::function<void(const xcb_generic_event_t&)> handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorlix::platform
