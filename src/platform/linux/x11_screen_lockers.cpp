#include "platform/linux/x11_screen_lockers.h"

#include "platform/linux/x11_connection.h"

#include <cstdlib>

namespace quorlix::platform {

std::unique_ptr<X11ScreenLockers> X11ScreenLockers::open(std::uint32_t ownBase, ScreenAreas screenAreas,
                                                         const std::string& display) {
    auto x = X11Connection::open(display);
    if (!x) return nullptr;
    return std::unique_ptr<X11ScreenLockers>(
        new X11ScreenLockers(std::move(x), ownBase, std::move(screenAreas)));
}

X11ScreenLockers::X11ScreenLockers(std::unique_ptr<X11Connection> x, std::uint32_t ownBase,
                                   ScreenAreas screenAreas)
    : x_(std::move(x)),
      ownBase_(ownBase),
      idMask_(xcb_get_setup(x_->get())->resource_id_mask),
      screenAreas_(std::move(screenAreas)) {
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so the watch is in effect once this returns: no window mapped later is missed.
    std::free(xcb_request_check(
        x_->get(), xcb_change_window_attributes_checked(x_->get(), x_->root(), XCB_CW_EVENT_MASK, &mask)));
    x_->setEventHandler([this](const xcb_generic_event_t& event) {
        switch (event.response_type & 0x7f) {
            case XCB_MAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
                if (e.event == x_->root()) handle(XCB_MAP_NOTIFY, e.window, e.override_redirect);
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
                if (e.event == x_->root()) handle(XCB_CONFIGURE_NOTIFY, e.window, e.override_redirect);
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
                if (e.event == x_->root()) handle(XCB_UNMAP_NOTIFY, e.window, false);
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
                if (e.event == x_->root()) handle(XCB_DESTROY_NOTIFY, e.window, false);
                break;
            }
            default: break;
        }
    });
}

X11ScreenLockers::~X11ScreenLockers() = default;

Subscription X11ScreenLockers::onShown(std::function<void(std::uint32_t)> handler) {
    return shownSignal_.connect(std::move(handler));
}

Subscription X11ScreenLockers::onGone(std::function<void(std::uint32_t)> handler) {
    return goneSignal_.connect(std::move(handler));
}

void X11ScreenLockers::handle(std::uint8_t type, std::uint32_t window, bool overrideRedirect) {
    if (type == XCB_UNMAP_NOTIFY || type == XCB_DESTROY_NOTIFY) {
        if (shown_.erase(window)) goneSignal_.emit(window);
        return;
    }
    if (!overrideRedirect || isOwn(window) || shown_.count(window)) return;
    if (!isLocker(window)) return;
    shown_.insert(window);
    shownSignal_.emit(window);
}

bool X11ScreenLockers::isOwn(std::uint32_t window) const { return (window & ~idMask_) == ownBase_; }

bool X11ScreenLockers::isLocker(std::uint32_t window) { return !lockersAmong({window}).empty(); }

std::vector<std::uint32_t> X11ScreenLockers::lockersAmong(const std::vector<std::uint32_t>& windows) {
    xcb_connection_t* c = x_->get();
    // Every question is sent before the first answer is awaited.
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    for (const std::uint32_t w : windows) attributeCookies.push_back(xcb_get_window_attributes(c, w));
    std::vector<std::uint32_t> candidates;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto* a = xcb_get_window_attributes_reply(c, attributeCookies[i], nullptr);
        if (a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE &&
            a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
            candidates.push_back(windows[i]);
        std::free(a);
    }
    std::vector<xcb_get_geometry_cookie_t> geometryCookies;
    for (const std::uint32_t w : candidates) geometryCookies.push_back(xcb_get_geometry(c, w));
    const auto rootCookie = xcb_get_geometry(c, x_->root());
    std::vector<Rect> screens = screenAreas_ ? screenAreas_() : std::vector<Rect>{};
    if (auto* root = xcb_get_geometry_reply(c, rootCookie, nullptr)) {
        screens.emplace_back(0, 0, root->width, root->height);
        std::free(root);
    }
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        auto* g = xcb_get_geometry_reply(c, geometryCookies[i], nullptr);
        if (g && coversAScreen(Rect(g->x, g->y, g->width, g->height), screens)) out.push_back(candidates[i]);
        std::free(g);
    }
    // The round trips may have read events off the socket.
    x_->drainSoon();
    return out;
}

bool X11ScreenLockers::coversAScreen(const Rect& area, const std::vector<Rect>& screens) {
    for (const Rect& screen : screens) {
        if (screen.isEmpty()) continue;
        if (area.minX() <= screen.minX() && area.minY() <= screen.minY() && area.maxX() >= screen.maxX() &&
            area.maxY() >= screen.maxY())
            return true;
    }
    return false;
}

std::vector<std::uint32_t> X11ScreenLockers::mapped() {
    xcb_connection_t* c = x_->get();
    std::vector<std::uint32_t> others;
    if (auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, x_->root()), nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        for (int i = 0; i < count; ++i)
            if (!isOwn(children[i])) others.push_back(children[i]);
        std::free(tree);
    }
    return lockersAmong(others);
}

void X11ScreenLockers::raise(std::uint32_t window, bool belowLockers) {
    xcb_connection_t* c = x_->get();
    const std::vector<std::uint32_t> lockers = belowLockers ? mapped() : std::vector<std::uint32_t>{};
    xcb_void_cookie_t done;
    if (lockers.empty()) {
        const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
        done = xcb_configure_window_checked(c, window, XCB_CONFIG_WINDOW_STACK_MODE, values);
    } else {
        const std::uint32_t values[] = {lockers.front(), XCB_STACK_MODE_BELOW};
        done = xcb_configure_window_checked(c, window,
                                            XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
    // Stacked once this returns; a window already gone is no error worth telling.
    std::free(xcb_request_check(c, done));
}

}  // namespace quorlix::platform
