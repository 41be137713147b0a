#include "platform/linux/x11_system_tray.h"

#include "platform/linux/x11_connection.h"

#include <cstdlib>

namespace quorlix::platform {

namespace {

// The number of the screen whose root window is `root`.
int screenNumber(xcb_connection_t* c, xcb_window_t root) {
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it), ++number)
        if (it.data->root == root) return number;
    return 0;
}

// Watches `window` for `mask`, checked so that nothing later is missed once this returns.
void select(xcb_connection_t* c, xcb_window_t window, std::uint32_t mask) {
    std::free(
        xcb_request_check(c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask)));
}

}  // namespace

std::unique_ptr<X11SystemTray> X11SystemTray::open(std::function<void()> changed,
                                                   const std::string& display) {
    auto x = X11Connection::open(display);
    if (!x) return nullptr;
    return std::unique_ptr<X11SystemTray>(new X11SystemTray(std::move(x), std::move(changed)));
}

X11SystemTray::X11SystemTray(std::unique_ptr<X11Connection> x, std::function<void()> changed)
    : x_(std::move(x)), changed_(std::move(changed)) {
    selection_ = x_->atom("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber(x_->get(), x_->root())));
    // Set before anything is watched: events come on later turns of the event loop, never
    // while the owner is still being made.
    x_->setEventHandler([this](const xcb_generic_event_t& event) { handle(event); });
    // A new tray announces itself to the root window's structure watchers.
    select(x_->get(), x_->root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    follow();
}

X11SystemTray::~X11SystemTray() = default;

void X11SystemTray::follow() {
    owner_ = XCB_WINDOW_NONE;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(x_->get(), xcb_get_selection_owner(x_->get(), selection_), nullptr);
    if (reply) owner_ = reply->owner;
    std::free(reply);
    if (owner_ != XCB_WINDOW_NONE)
        select(x_->get(), owner_, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    // Replies may have read events off the socket.
    x_->drainSoon();
}

void X11SystemTray::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            const auto& e = reinterpret_cast<const xcb_client_message_event_t&>(event);
            if (e.window != x_->root() || e.type != x_->atom("MANAGER") || e.data.data32[1] != selection_)
                return;
            follow();
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window != owner_ || e.atom != x_->atom("_NET_SYSTEM_TRAY_COLORS")) return;
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window != owner_) return;
            owner_ = XCB_WINDOW_NONE;
            break;
        }
        default: return;
    }
    changed_();
}

std::optional<std::array<std::uint32_t, 3>> X11SystemTray::foreground() {
    if (owner_ == XCB_WINDOW_NONE) return std::nullopt;
    const auto colours = x_->cardinals(owner_, "_NET_SYSTEM_TRAY_COLORS");
    x_->drainSoon();
    if (!colours || colours->size() < 3) return std::nullopt;
    return std::array<std::uint32_t, 3>{(*colours)[0], (*colours)[1], (*colours)[2]};
}

}  // namespace quorlix::platform
