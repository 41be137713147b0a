#include "platform/linux/x11_window_server.h"

#include "platform/linux/linux_workspace.h"
#include "platform/linux/x11_connection.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>

namespace quorlix::platform {

namespace {

// Layers as the platform numbers them: ordinary windows on 0, above them floating panels,
// then docks and the like.
constexpr int floatingLayer = 3;
constexpr int dockLayer = 20;
constexpr int overlayLayer = 25;

bool contains(const std::optional<std::vector<std::uint32_t>>& list, std::uint32_t value) {
    return list && std::find(list->begin(), list->end(), value) != list->end();
}

}  // namespace

struct X11WindowServer::Impl {
    std::unique_ptr<X11Connection> x;
    Signal<> screensChanged;
    Signal<> spaceChanged;
    Signal<> applicationActivated;
    Signal<> frontWindowChanged;
    std::optional<std::int64_t> activeProcess;
    // The active window, whose state changes we hear of, and whether it fills its screen.
    std::optional<xcb_window_t> watched;
    bool watchedFullscreen = false;
    std::vector<QMetaObject::Connection> qtConnections;

    explicit Impl(const std::string& display) : x(X11Connection::open(display)) {
        watchScreens();
        if (!x) return;
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x->get(), x->root(), XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x->get());
        const auto active = activeWindow();
        activeProcess = processOf(active);
        watch(active);
        x->setEventHandler([this](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return;
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window != x->root()) {
                if (notify.window == watched && notify.atom == x->atom("_NET_WM_STATE")) stateChanged();
                return;
            }
            if (notify.atom == x->atom("_NET_CURRENT_DESKTOP")) spaceChanged.emit();
            if (notify.atom == x->atom("_NET_ACTIVE_WINDOW")) activeWindowChanged();
        });
    }

    void activeWindowChanged() {
        const auto active = activeWindow();
        const bool hadWindow = watched.has_value();
        watch(active);
        // A full-screen window minimised leaves nothing in front.
        if (!active && hadWindow) frontWindowChanged.emit();
        // Focus moving between windows of one application is no activation.
        const auto process = processOf(active);
        if (process == activeProcess) return;
        activeProcess = process;
        if (process) applicationActivated.emit();
    }

    // F11, or a video player's full-screen key: the window itself changes, not the focus.
    void stateChanged() {
        const bool fullscreen = isFullscreen(*watched);
        if (fullscreen == watchedFullscreen) return;
        watchedFullscreen = fullscreen;
        frontWindowChanged.emit();
    }

    // Hears of the state changes of `window` only (our own selection on the last one ends).
    void watch(std::optional<xcb_window_t> window) {
        if (window == watched) return;
        xcb_connection_t* c = x->get();
        if (watched) {
            const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(c, *watched, XCB_CW_EVENT_MASK, &none);
        }
        watched = window;
        if (window) {
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, *window, XCB_CW_EVENT_MASK, &mask);
        }
        xcb_flush(c);
        watchedFullscreen = window && isFullscreen(*window);
        // Replies read on the way may have brought events with them.
        x->drainSoon();
    }

    bool isFullscreen(xcb_window_t window) const {
        return contains(x->cardinals(window, "_NET_WM_STATE"), x->atom("_NET_WM_STATE_FULLSCREEN"));
    }

    ~Impl() {
        for (const auto& c : qtConnections) QObject::disconnect(c);
    }

    void watchScreens() {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (!app) return;
        const auto changed = [this] { screensChanged.emit(); };
        const auto watch = [this, changed](QScreen* screen) {
            qtConnections.push_back(QObject::connect(screen, &QScreen::geometryChanged, changed));
            // A desktop bar that comes, goes or changes height moves the island that hangs from it.
            qtConnections.push_back(QObject::connect(screen, &QScreen::availableGeometryChanged, changed));
        };
        for (QScreen* screen : QGuiApplication::screens()) watch(screen);
        qtConnections.push_back(
            QObject::connect(app, &QGuiApplication::screenAdded, [watch, changed](QScreen* s) {
                watch(s);
                changed();
            }));
        qtConnections.push_back(QObject::connect(app, &QGuiApplication::screenRemoved, changed));
        qtConnections.push_back(QObject::connect(app, &QGuiApplication::primaryScreenChanged, changed));
    }

    std::optional<xcb_window_t> activeWindow() const {
        const auto active = x->cardinals(x->root(), "_NET_ACTIVE_WINDOW");
        if (!active || active->empty() || active->front() == XCB_WINDOW_NONE) return std::nullopt;
        return active->front();
    }

    std::optional<std::int64_t> processOf(std::optional<xcb_window_t> window) const {
        if (!window) return std::nullopt;
        const auto pid = x->cardinals(*window, "_NET_WM_PID");
        if (!pid || pid->empty()) return std::nullopt;
        return static_cast<std::int64_t>(pid->front());
    }

    // The class part of WM_CLASS ("instance\0Class\0").
    std::optional<std::string> applicationClass(xcb_window_t window) const {
        const auto value = x->text(window, "WM_CLASS");
        if (!value) return std::nullopt;
        const auto split = value->find('\0');
        if (split == std::string::npos) return std::nullopt;
        std::string name = value->substr(split + 1);
        if (const auto end = name.find('\0'); end != std::string::npos) name.resize(end);
        if (name.empty()) return std::nullopt;
        return name;
    }

    std::optional<Rect> bounds(xcb_window_t window) const {
        xcb_connection_t* c = x->get();
        auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        auto* origin = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, x->root(), 0, 0), nullptr);
        std::optional<Rect> out;
        if (geometry && origin) {
            // Device pixels to points.
            const QScreen* primary = QGuiApplication::primaryScreen();
            const double scale = primary ? primary->devicePixelRatio() : 1;
            out = Rect(origin->dst_x / scale, origin->dst_y / scale, geometry->width / scale,
                       geometry->height / scale);
        }
        std::free(geometry);
        std::free(origin);
        return out;
    }

    bool viewable(xcb_window_t window) const {
        xcb_connection_t* c = x->get();
        auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return shown;
    }
};

X11WindowServer::X11WindowServer(const std::string& display) : impl_(std::make_unique<Impl>(display)) {}

X11WindowServer::~X11WindowServer() = default;

Subscription X11WindowServer::onScreenParametersChanged(std::function<void()> handler) {
    return impl_->screensChanged.connect(std::move(handler));
}

Subscription X11WindowServer::onActiveSpaceChanged(std::function<void()> handler) {
    return impl_->spaceChanged.connect(std::move(handler));
}

Subscription X11WindowServer::onApplicationActivated(std::function<void()> handler) {
    return impl_->applicationActivated.connect(std::move(handler));
}

Subscription X11WindowServer::onFrontWindowChanged(std::function<void()> handler) {
    return impl_->frontWindowChanged.connect(std::move(handler));
}

RunningApplication X11WindowServer::currentApplication() const {
    return {std::string(LinuxWorkspace::ownIdentifier), static_cast<std::int64_t>(::getpid())};
}

std::optional<RunningApplication> X11WindowServer::frontmostApplication() const {
    if (!impl_->x) return std::nullopt;
    const auto window = impl_->activeWindow();
    const auto process = impl_->processOf(window);
    if (!process) return std::nullopt;
    if (*process == ::getpid()) return currentApplication();
    return RunningApplication{impl_->applicationClass(*window), *process};
}

std::optional<std::vector<OnScreenWindow>> X11WindowServer::onScreenWindows() const {
    X11Connection* x = impl_->x.get();
    if (!x) return std::nullopt;
    const auto stacking = x->cardinals(x->root(), "_NET_CLIENT_LIST_STACKING");
    if (!stacking) return std::nullopt;
    std::vector<OnScreenWindow> out;
    // Bottom to top in the list; front to back in the answer.
    for (auto it = stacking->rbegin(); it != stacking->rend(); ++it) {
        const xcb_window_t window = *it;
        if (!impl_->viewable(window)) continue;
        const auto types = x->cardinals(window, "_NET_WM_WINDOW_TYPE");
        if (contains(types, x->atom("_NET_WM_WINDOW_TYPE_DESKTOP"))) continue;
        const auto state = x->cardinals(window, "_NET_WM_STATE");
        if (contains(state, x->atom("_NET_WM_STATE_HIDDEN"))) continue;
        const auto process = impl_->processOf(window);
        const auto bounds = impl_->bounds(window);
        if (!process || !bounds) continue;
        int layer = 0;
        if (contains(types, x->atom("_NET_WM_WINDOW_TYPE_DOCK")))
            layer = dockLayer;
        else if (contains(types, x->atom("_NET_WM_WINDOW_TYPE_NOTIFICATION")) ||
                 contains(types, x->atom("_NET_WM_WINDOW_TYPE_TOOLTIP")))
            layer = overlayLayer;
        else if (contains(state, x->atom("_NET_WM_STATE_ABOVE")))
            layer = floatingLayer;
        out.push_back({*process, layer, *bounds});
    }
    return out;
}

}  // namespace quorlix::platform
