#include "platform/linux/x11_connection.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>

namespace quorlix::platform {

std::unique_ptr<X11Connection> X11Connection::open(const std::string& display) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::unique_ptr<X11Connection>(new X11Connection(c, it.data->root));
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root) {
    notifier_ =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
}

X11Connection::~X11Connection() {
    notifier_.reset();
    xcb_disconnect(connection_);
}

void X11Connection::setEventHandler(std::function<void(const xcb_generic_event_t&)> handler) {
    handler_ = std::move(handler);
    // Events may have arrived with replies already read.
    drain();
}

void X11Connection::drainSoon() {
    QTimer::singleShot(0, notifier_.get(), [this] { drain(); });
}

void X11Connection::drainNow() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    drain();
}

void X11Connection::drain() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if (handler_) handler_(*event);
        std::free(event);
    }
    // A lost display leaves nothing to read; stop listening rather than spin.
    if (xcb_connection_has_error(connection_)) notifier_->setEnabled(false);
}

xcb_atom_t X11Connection::atom(const std::string& name) {
    if (const auto it = atoms_.find(name); it != atoms_.end()) return it->second;
    const auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    if (atom != XCB_ATOM_NONE) atoms_[name] = atom;
    return atom;
}

std::optional<std::vector<std::uint32_t>> X11Connection::cardinals(xcb_window_t window,
                                                                   const std::string& property) {
    const xcb_atom_t name = atom(property);
    if (name == XCB_ATOM_NONE) return std::nullopt;
    const auto cookie = xcb_get_property(connection_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
    if (!reply) return std::nullopt;
    std::optional<std::vector<std::uint32_t>> out;
    if (reply->format == 32 && reply->type != XCB_ATOM_NONE) {
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        out.emplace(values, values + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return out;
}

std::optional<std::string> X11Connection::text(xcb_window_t window, const std::string& property) {
    const xcb_atom_t name = atom(property);
    if (name == XCB_ATOM_NONE) return std::nullopt;
    const auto cookie = xcb_get_property(connection_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
    if (!reply) return std::nullopt;
    std::optional<std::string> out;
    if (reply->format == 8 && reply->type != XCB_ATOM_NONE)
        out.emplace(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return out;
}

}  // namespace quorlix::platform
