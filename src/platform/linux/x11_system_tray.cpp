#include "platform/linux/x11_system_tray.h"

#include "platform/linux/x11_connection.h"

#include <bit>
#include <cstdlib>
#include <cstring>

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

// A reply, or nothing when the request failed (its error is dropped rather than queued as an
// event).
template <class Reply, class Cookie>
std::unique_ptr<Reply, decltype(&std::free)> reply(xcb_connection_t* c, Cookie cookie,
                                                   Reply* (*get)(xcb_connection_t*, Cookie,
                                                                 xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    Reply* r = get(c, cookie, &error);
    std::free(error);
    return {r, &std::free};
}

// A channel of a pixel by its visual's mask, from 0 to 255.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int bits = std::popcount(mask);
    const std::uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    return bits >= 8 ? value >> (bits - 8) : value * 255 / ((1u << bits) - 1);
}

const xcb_visualtype_t* visualType(xcb_connection_t* c, xcb_visualid_t id) {
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth))
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
                 xcb_visualtype_next(&visual))
                if (visual.data->visual_id == id) return visual.data;
    return nullptr;
}

int bitsPerPixel(xcb_connection_t* c, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_format_t* formats = xcb_setup_pixmap_formats(setup);
    for (int i = 0; i < xcb_setup_pixmap_formats_length(setup); ++i)
        if (formats[i].depth == depth) return formats[i].bits_per_pixel;
    return 0;
}

// What the parent of `window` shows in the window's area, as 0xAARRGGBB, while the window is
// docked there (its parent is not the root) and viewable: the server's picture of an unmapped
// or covered area means nothing. Empty otherwise, or for a visual other than true colour at
// 32 bits a pixel.
std::vector<std::uint32_t> pixelsBehind(xcb_connection_t* c, xcb_window_t window) {
    const auto attributes = reply(c, xcb_get_window_attributes(c, window), xcb_get_window_attributes_reply);
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) return {};
    const auto tree = reply(c, xcb_query_tree(c, window), xcb_query_tree_reply);
    if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root) return {};
    const auto place = reply(c, xcb_get_geometry(c, window), xcb_get_geometry_reply);
    const auto parent = reply(c, xcb_get_window_attributes(c, tree->parent), xcb_get_window_attributes_reply);
    if (!place || !parent || place->width == 0 || place->height == 0) return {};
    const xcb_visualtype_t* visual = visualType(c, parent->visual);
    if (!visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR) return {};
    const auto image = reply(c,
                             xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, tree->parent, place->x, place->y,
                                           place->width, place->height, ~0u),
                             xcb_get_image_reply);
    const std::size_t count = std::size_t{place->width} * place->height;
    if (!image || bitsPerPixel(c, image->depth) != 32 ||
        static_cast<std::size_t>(xcb_get_image_data_length(image.get())) < count * 4)
        return {};
    const bool lsbFirst = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    // At 32 bits deep, what the colours leave is the alpha channel.
    const std::uint32_t alphaMask =
        image->depth == 32 ? ~(visual->red_mask | visual->green_mask | visual->blue_mask) : 0;
    const std::uint8_t* data = xcb_get_image_data(image.get());
    std::vector<std::uint32_t> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* b = data + i * 4;
        const std::uint32_t p = lsbFirst ? b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24
                                         : std::uint32_t{b[0]} << 24 | b[1] << 16 | b[2] << 8 | b[3];
        const std::uint32_t alpha = alphaMask ? channel(p, alphaMask) : 0xff;
        pixels[i] = alpha << 24 | channel(p, visual->red_mask) << 16 | channel(p, visual->green_mask) << 8 |
                    channel(p, visual->blue_mask);
    }
    return pixels;
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
            // A new tray docks the icon again; what it shows behind is read once it has.
            readBehindIcon();
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window != owner_ || e.atom != x_->atom("_NET_SYSTEM_TRAY_COLORS")) return;
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            if (e.window == icon_) {
                icon_ = XCB_WINDOW_NONE;
                if (!readBehindIcon()) return;
                break;
            }
            if (e.window != owner_) return;
            owner_ = XCB_WINDOW_NONE;
            readBehindIcon();
            break;
        }
        // The icon shown once the tray's window that holds it is: a tray may map that after it
        // mapped the icon (trayer), when the icon's own map found nothing to read.
        case XCB_VISIBILITY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
            if (e.window != icon_ || e.state == XCB_VISIBILITY_FULLY_OBSCURED || !readBehindIcon()) return;
            break;
        }
        // The icon docked and shown, or taken out of its tray.
        case XCB_MAP_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_UNMAP_NOTIFY: {
            // The window each of these tells of comes at the same place in all three.
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (icon_ == XCB_WINDOW_NONE || e.window != icon_ || !readBehindIcon()) return;
            break;
        }
        default: return;
    }
    changed_();
}

void X11SystemTray::watchIcon(xcb_window_t icon) {
    if (icon == icon_) return;
    icon_ = icon;
    if (icon_ != XCB_WINDOW_NONE)
        select(x_->get(), icon_, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE);
    // Docked already, or not yet: then its map tells.
    if (readBehindIcon()) changed_();
}

bool X11SystemTray::readBehindIcon() {
    std::vector<std::uint32_t> pixels =
        icon_ != XCB_WINDOW_NONE ? pixelsBehind(x_->get(), icon_) : std::vector<std::uint32_t>{};
    // Replies may have read events off the socket.
    x_->drainSoon();
    if (pixels == behindIcon_) return false;
    behindIcon_ = std::move(pixels);
    return true;
}

std::optional<std::array<std::uint32_t, 3>> X11SystemTray::foreground() {
    if (owner_ == XCB_WINDOW_NONE) return std::nullopt;
    const auto colours = x_->cardinals(owner_, "_NET_SYSTEM_TRAY_COLORS");
    x_->drainSoon();
    if (!colours || colours->size() < 3) return std::nullopt;
    return std::array<std::uint32_t, 3>{(*colours)[0], (*colours)[1], (*colours)[2]};
}

}  // namespace quorlix::platform
