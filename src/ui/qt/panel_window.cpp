#include "ui/qt/panel_window.h"

#include "platform/clock.h"
#include "platform/main_queue.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/qt/x11_window_pixels.h"
#include "ui/region.h"

#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace quorlix::ui::qt {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// Asks the window manager, with a client message to the root window as EWMH prescribes, to
// change a mapped window's state.
void sendToWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                         std::initializer_list<std::uint32_t> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::size_t i = 0;
    for (const auto d : data) event.data.data32[i++] = d;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace

PanelWindow::PanelWindow(View root, Size size, EnvironmentValues environment)
    : size_(size),
      host_(
          std::make_unique<ViewHost>(QtFontEngine::shared(), std::move(root), size, std::move(environment))),
      // Left alone by the window manager from its making: a compositor's window manager reads
      // that once, and a window it took for a managed one never moves again once shown (weston).
      widget_(std::make_unique<HostWidget>(*host_, nullptr,
                                           Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                               Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                                               Qt::X11BypassWindowManagerHint)),
      opacity_(1,
               [this](double v) {
                   widget_->setWindowOpacity(v);
                   updateMapped();
                   // Qt sends the new opacity only with its next request to the server: over a
                   // window that draws nothing new, a fade would stop at its first step.
                   if (xcb_connection_t* c = x11Connection()) xcb_flush(c);
               }),
      extent_(Rect({0, 0}, size)) {
    widget_->setAttribute(Qt::WA_TranslucentBackground);
    widget_->setAttribute(Qt::WA_ShowWithoutActivating);
    widget_->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    widget_->setFocusPolicy(Qt::NoFocus);
    widget_->beforeFrame = [this] { frameShown(); };
    widget_->afterPaint = [this] {
        if (!std::exchange(nudgeAfterPaint_, false) || !nudge_) return;
        const double scale = widget_->devicePixelRatioF();
        nudge_->mapped(static_cast<int>(std::lround(widget_->x() * scale)),
                       static_cast<int>(std::lround(widget_->y() * scale)));
    };
    // Every event passes through until the owner says otherwise.
    applyInputRegion();
}

PanelWindow::~PanelWindow() {
    widget_.reset();
    host_.reset();
}

void PanelWindow::setFrameOrigin(Point topLeft) {
    frameOrigin_ = topLeft;
    if (!extent_.rect().isEmpty()) placeWindow(false);
}

void PanelWindow::setLimit(const Rect& limit) {
    extent_.setLimit(limit);
    if (!extent_.rect().isEmpty()) placeWindow(false);
}

void PanelWindow::show() {
    shown_ = true;
    // The first frame first: the window is mapped at the size and place it draws.
    if (extent_.rect().isEmpty()) host_->render();
    updateMapped();
}

void PanelWindow::hide() {
    shown_ = false;
    updateMapped();
}

void PanelWindow::updateMapped() {
    const bool mapped = shown_ && opacity_.value() > 0;
    if (mapped == widget_->isVisible()) return;
    if (!mapped) {
        widget_->hide();
        return;
    }
    widget_->show();
    applyWindowAttributes();
    applyWindowStates();
    applyInputRegion();
    // Once its first frame is on its way.
    nudgeAfterPaint_ = nudge_.has_value();
}

void PanelWindow::setNudgesCompositor(bool nudges) {
    if (nudges == nudge_.has_value()) return;
    if (nudges)
        nudge_.emplace();
    else
        nudge_.reset();
}

void PanelWindow::frameShown() {
    if (extent_.update(host_->graph())) place(true);
}

void PanelWindow::place(bool drawn) {
    // Placed where the extent stands when the wait ends.
    if (stillWait_.isPending()) return;
    const Rect e = extent_.rect();
    const std::optional<double> drawnAt = widget_->lastDrawn();
    if (movesWait_ && widget_->isVisible() && !placed_.isEmpty() && e.origin != placed_.origin && drawnAt) {
        const double still = platform::Clock::shared().now() - *drawnAt;
        if (still < stillBeforeMoving) {
            const double wait = stillBeforeMoving - still;
            widget_->setHeld(true);
            // A motion that needs more room starts once the window has it.
            const bool grows = unionOf(placed_, e) != placed_;
            if (grows) host_->graph().postpone(wait);
            stillWait_ = platform::MainQueue::shared().after(wait, [this] {
                widget_->setHeld(false);
                placeWindow(false);
            });
            return;
        }
    }
    placeWindow(drawn);
}

void PanelWindow::placeWindow(bool drawn) {
    const Rect e = extent_.rect();
    placed_ = e;
    widget_->setViewport(e);
    widget_->setGeometry(static_cast<int>(std::lround(frameOrigin_.x + e.minX())),
                         static_cast<int>(std::lround(frameOrigin_.y + e.minY())),
                         static_cast<int>(std::ceil(e.width())), static_cast<int>(std::ceil(e.height())));
    applyInputRegion();
    // Drawn at once at its new size, with no frame of the host to come.
    if (!drawn && widget_->isVisible()) widget_->repaint();
}

void PanelWindow::setOpacity(double opacity, const std::optional<Animation>& animation) {
    opacity_.set(std::clamp(opacity, 0.0, 1.0), animation);
}

void PanelWindow::setInputRegion(std::vector<Rect> region) {
    inputRegion_ = std::move(region);
    // A frame about to come (the change that set the region) places the window with what it
    // draws: the window changes once.
    if (extent_.setInputRegion(inputRegion_, host_->graph(), host_->needsRender()))
        place(false);
    else
        applyInputRegion();
}

void PanelWindow::applyInputRegion() {
    xcb_connection_t* c = x11Connection();
    if (!c) return;
    const auto window = static_cast<xcb_window_t>(widget_->winId());
    const double scale = widget_->devicePixelRatioF();
    // In the window's own space, which starts at the extent's corner.
    const Point origin = widget_->origin();
    std::vector<xcb_rectangle_t> rects;
    for (const Rect& area : inputRegion_) {
        const Rect r = area.offsetBy(-origin.x, -origin.y);
        if (r.isEmpty()) continue;
        const double x0 = std::floor(r.minX() * scale), y0 = std::floor(r.minY() * scale);
        const double x1 = std::ceil(r.maxX() * scale), y1 = std::ceil(r.maxY() * scale);
        rects.push_back({static_cast<std::int16_t>(x0), static_cast<std::int16_t>(y0),
                         static_cast<std::uint16_t>(x1 - x0), static_cast<std::uint16_t>(y1 - y0)});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                         static_cast<std::uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
}

void PanelWindow::applyWindowAttributes() {
    xcb_connection_t* c = x11Connection();
    if (!c) return;
    // Resized or moved, the window keeps its pixels where they are on screen, and what it gains
    // is clear until drawn: the frame drawn with the change shows no step between.
    const std::uint32_t values[] = {0, XCB_GRAVITY_STATIC};
    xcb_change_window_attributes(c, static_cast<xcb_window_t>(widget_->winId()),
                                 XCB_CW_BACK_PIXEL | XCB_CW_BIT_GRAVITY, values);
}

void PanelWindow::applyWindowStates() {
    xcb_connection_t* c = x11Connection();
    if (!c) return;
    const auto window = static_cast<xcb_window_t>(widget_->winId());
    // On every workspace, and out of task bars and pagers.
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    constexpr std::uint32_t add = 1, fromApplication = 1;
    sendToWindowManager(
        c, window, state,
        {add, atom(c, "_NET_WM_STATE_STICKY"), atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), fromApplication});
    sendToWindowManager(
        c, window, state,
        {add, atom(c, "_NET_WM_STATE_SKIP_PAGER"), atom(c, "_NET_WM_STATE_ABOVE"), fromApplication});
    sendToWindowManager(c, window, atom(c, "_NET_WM_DESKTOP"), {0xFFFFFFFFu, fromApplication});
    xcb_flush(c);
}

}  // namespace quorlix::ui::qt
