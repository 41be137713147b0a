#include "platform/linux/x11_pointer_monitor.h"

#include "platform/linux/qt_screens.h"
#include "platform/linux/scroll_gesture.h"
#include "platform/linux/x11_connection.h"
#include "platform/linux/x11_pointer_warps.h"
#include "platform/linux/xwayland_own_windows.h"

#include <QCursor>
#include <QTimer>

#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

namespace quorlix::platform {

namespace {

double toDouble(const xcb_input_fp3232_t& v) { return v.integral + v.frac / 4294967296.0; }

// A scroll axis of one device.
struct ScrollAxis {
    bool vertical = true;
    double increment = 1;
    bool absolute = false;
    std::optional<double> last;  // for absolute axes
};

struct PointerDevice {
    bool touchpad = false;
    bool natural = false;
    std::map<int, ScrollAxis> axes;  // by valuator number
};

// A wheel line in points of a trackpad's scroll: libinput moves its axes 15 units per
// "click" of finger travel, about that many points.
constexpr double pointsPerIncrement = 15;
// Moves are told at most this often, each with the pointer's place asked of the server once:
// a frame of the screen's. A pointer moving far from the island costs one question a frame,
// not one for each of the device's reports.
constexpr std::chrono::milliseconds moveInterval{16};

}  // namespace

struct X11PointerMonitor::Impl {
    std::unique_ptr<X11Connection> x;
    // In a Wayland session, what our windows tell of the pointer; nothing on an X server's own
    // desktop.
    std::optional<XWaylandOwnWindows> xwayland;
    // Between a crossing into one of our windows and one out of it.
    bool overOwnWindow = false;
    // How many follow every move, and whether the server sends the devices' moves now.
    int followers = 0;
    bool motionSelected = false;
    // Where the last move was told to be.
    Point lastTold = PointerMonitor::nowhere;
    // Lets a follower's subscription outlive the monitor.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    std::unique_ptr<X11PointerWarps> warps;
    std::uint8_t xiOpcode = 0;
    std::uint8_t xfixesEvent = 0;
    bool watching = false;
    Signal<PointerEvent> events;
    std::map<int, PointerDevice> devices;
    std::vector<std::uint8_t> buttonMap;  // physical to logical, index 0 for button 1
    bool leftDown = false;
    bool motionPending = false;
    // When the last move was told.
    std::chrono::steady_clock::time_point lastMotion;
    std::int64_t dragCount = 0;
    // Where the scroll being read comes from: a window of ours or a device on an X server's own
    // desktop (told where the pointer is), a raw event of a Wayland session (over an X window
    // of any program, whose place the server is asked only then), or a raw copy of a scroll a
    // window of ours told already (not told again).
    enum class ScrollSource { told, waylandRaw, waylandRawCopy } scrollSource = ScrollSource::told;
    ScrollGesture gesture{[this](const ScrollDetail& scroll) {
        emitAt(PointerEventType::scrollWheel,
               scrollSource == ScrollSource::waylandRaw ? fromQtPoint(QCursor::pos()) : location(), scroll);
    }};
    QTimer motionTimer;

    std::string display;
    bool started = false;

    Impl(std::string displayName, bool waylandSession) : display(std::move(displayName)) {
        if (waylandSession) xwayland.emplace();
    }

    // Connects on the first subscription, not when made: the connection and the devices'
    // properties are round trips to the server that the island need not wait for to show.
    void start() {
        if (started) return;
        started = true;
        x = X11Connection::open(display);
        if (!x) return;
        xcb_connection_t* c = x->get();
        const xcb_query_extension_reply_t* xi = xcb_get_extension_data(c, &xcb_input_id);
        if (!xi || !xi->present) return;
        xiOpcode = xi->major_opcode;
        auto* version = xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
        const bool recent = version && (version->major_version > 2 ||
                                        (version->major_version == 2 && version->minor_version >= 2));
        std::free(version);
        if (!recent) return;

        motionSelected = motionWanted();
        selectEvents();

        if (const auto* fixes = xcb_get_extension_data(c, &xcb_xfixes_id); fixes && fixes->present) {
            std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
            xfixesEvent = fixes->first_event;
            xcb_xfixes_select_selection_input(c, x->root(), x->atom("XdndSelection"),
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        }
        readDevices();
        readButtonMap();
        xcb_flush(c);
        warps = X11PointerWarps::start(c, display, xiOpcode, [this] { moved(); });

        // Moves that arrive together are reported once, as the last of them.
        motionTimer.setSingleShot(true);
        QObject::connect(&motionTimer, &QTimer::timeout, [this] { flushMotion(); });
        x->setEventHandler([this](const xcb_generic_event_t& event) { handle(event); });
        watching = true;
    }

    Point location() const {
        // XWayland keeps the last place it saw the pointer at after it left our windows.
        if (xwayland && !xwayland->placeKnown()) return PointerMonitor::nowhere;
        return fromQtPoint(QCursor::pos());
    }

    // In a Wayland session raw events come only over X windows, and only their wheel counts:
    // over ours. Elsewhere a drag and a follower need every move too.
    bool motionWanted() const { return overOwnWindow || (!xwayland && (followers > 0 || leftDown)); }

    // Raw events come from the physical (slave) devices only.
    void selectEvents() {
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } events{{XCB_INPUT_DEVICE_ALL, 1},
                 (motionSelected ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_MOTION} : 0u) |
                     XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
                     XCB_INPUT_XI_EVENT_MASK_HIERARCHY | XCB_INPUT_XI_EVENT_MASK_DEVICE_CHANGED};
        xcb_input_xi_select_events(x->get(), x->root(), 1, &events.head);
    }

    void updateMotionSelection() {
        if (!watching || motionWanted() == motionSelected) return;
        motionSelected = !motionSelected;
        selectEvents();
        xcb_flush(x->get());
    }

    void emit(PointerEventType type, ScrollDetail scroll = {}) { emitAt(type, location(), scroll); }
    void emitAt(PointerEventType type, Point at, ScrollDetail scroll = {}) {
        events.emit(PointerEvent{type, at, scroll});
    }

    // What our windows tell. On an X server's own desktop the devices' raw events tell of every
    // press, scroll and drag, and of moves while they are read; the windows add the pointer's
    // arrival, which no raw event tells while the pointer is far from them (and a warp never
    // does), and its going out, which may come before the devices' moves are read. An arrival
    // may come as a crossing alone, with no move after it (a jump, a tap, a warp, or a move the
    // toolkit drops for ending where its last one did): a crossing, in or out, is told as a
    // move where the pointer is no longer where the last move was told to be; one still there
    // rests, and a window changed under it. In a Wayland session the windows tell all there is:
    // an arrival (a crossing in, which the panel tells only where it is one, or a move), a leave
    // (after which the pointer is `nowhere`), the left button, the wheel until raw scrolls come,
    // and drags of data.

    void ownWindowMove() {
        overOwnWindow = true;
        if (xwayland) xwayland->pointerOver();
        updateMotionSelection();
        moved();
    }

    void ownWindowCrossing(bool in) {
        overOwnWindow = in;
        updateMotionSelection();
        if (xwayland) {
            if (in)
                xwayland->pointerOver();
            else
                xwayland->pointerLeft();
            moved();
        } else if (!motionPending && fromQtPoint(QCursor::pos()) != lastTold) {
            moved();
        }
    }

    void ownWindowButton(bool pressed) {
        xwayland->pointerOver();
        button(1, pressed, false, 0);
    }

    void ownWindowScroll(double dx, double dy, bool precise, bool natural, std::uint32_t time) {
        if (!xwayland->windowScroll(time)) return;
        flushMotion();
        gesture.scroll(dx, dy, precise, natural);
    }

    void ownWindowDrag(std::optional<Point> at, bool ended) {
        flushMotion();
        if (xwayland->drag(at, ended)) ++dragCount;
        if (ended)
            emitAt(at ? PointerEventType::leftMouseUp : PointerEventType::leftMouseDragged,
                   at.value_or(PointerMonitor::nowhere));
        else
            emitAt(PointerEventType::leftMouseDragged, *at);
    }

    void moved() {
        motionPending = true;
        if (motionTimer.isActive()) return;
        // The first move after a pause is told at once; those that follow, a frame apart.
        const auto since = std::chrono::steady_clock::now() - lastMotion;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(moveInterval - since);
        motionTimer.start(std::max(wait, std::chrono::milliseconds(0)));
    }

    void flushMotion() {
        if (!motionPending) return;
        motionPending = false;
        motionTimer.stop();
        lastMotion = std::chrono::steady_clock::now();
        lastTold = location();
        emitAt(leftDown ? PointerEventType::leftMouseDragged : PointerEventType::mouseMoved, lastTold);
    }

    void handle(const xcb_generic_event_t& event) {
        const std::uint8_t type = event.response_type & 0x7f;
        if (type == XCB_GE_GENERIC) {
            const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            if (ge.extension == xiOpcode) handleInput(ge);
            return;
        }
        if (xfixesEvent && type == xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
            if (notify.owner != XCB_WINDOW_NONE) ++dragCount;
            return;
        }
        if (type == XCB_MAPPING_NOTIFY) {
            const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
            if (mapping.request == XCB_MAPPING_POINTER) readButtonMap();
        }
    }

    void handleInput(const xcb_ge_generic_event_t& ge) {
        // Each raw event also comes as its master device's copy: one press, one wheel click,
        // must count once.
        if (ge.event_type == XCB_INPUT_RAW_MOTION || ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS ||
            ge.event_type == XCB_INPUT_RAW_BUTTON_RELEASE) {
            const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(ge);
            if (raw.deviceid != raw.sourceid) return;
            // In a Wayland session raw events come only while the pointer is over an X window,
            // and our own windows tell of moves and presses: only the wheel is taken from them.
            if (xwayland) {
                waylandScroll(ge);
                return;
            }
        }
        switch (ge.event_type) {
            case XCB_INPUT_RAW_MOTION: {
                const auto& raw = reinterpret_cast<const xcb_input_raw_motion_event_t&>(ge);
                // Made up by the server from a wheel click, which is reported as such.
                if (raw.flags & XCB_INPUT_POINTER_EVENT_FLAGS_POINTER_EMULATED) break;
                if (!scrollFrom(raw)) moved();
                break;
            }
            case XCB_INPUT_RAW_BUTTON_PRESS:
            case XCB_INPUT_RAW_BUTTON_RELEASE: {
                const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(ge);
                button(logicalButton(raw.detail), ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS,
                       (raw.flags & XCB_INPUT_POINTER_EVENT_FLAGS_POINTER_EMULATED) != 0, raw.sourceid);
                break;
            }
            case XCB_INPUT_HIERARCHY:
            case XCB_INPUT_DEVICE_CHANGED: readDevices(); break;
            default: break;
        }
    }

    // A raw event of a Wayland session, taken when it is the wheel's, at the pointer's place
    // (the controller heeds a scroll over the island alone, not over other programs' windows).
    void waylandScroll(const xcb_ge_generic_event_t& ge) {
        // Raw motions and presses share the header that holds the time.
        const std::uint32_t time = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(ge).time;
        scrollSource =
            xwayland->isCopyOfWindowScroll(time) ? ScrollSource::waylandRawCopy : ScrollSource::waylandRaw;
        bool scrolled = false;
        if (ge.event_type == XCB_INPUT_RAW_MOTION) {
            scrolled = scrollFrom(reinterpret_cast<const xcb_input_raw_motion_event_t&>(ge));
        } else if (ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
            const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(ge);
            const std::uint32_t number = logicalButton(raw.detail);
            scrolled =
                number >= 4 && number <= 7 && !(raw.flags & XCB_INPUT_POINTER_EVENT_FLAGS_POINTER_EMULATED);
            if (scrolled) button(number, true, false, raw.sourceid);
        }
        scrollSource = ScrollSource::told;
        if (scrolled) xwayland->rawScrollHeard();
    }

    void button(std::uint32_t number, bool press, bool emulated, int source) {
        flushMotion();
        if (number == 1) {
            leftDown = press;
            updateMotionSelection();
            emit(press ? PointerEventType::leftMouseDown : PointerEventType::leftMouseUp);
            return;
        }
        // Wheel clicks; those the server made up from a smooth axis came in as that axis.
        if (!press || emulated || number < 4 || number > 7) return;
        const double dy = number == 4 ? 1 : number == 5 ? -1 : 0;
        const double dx = number == 6 ? 1 : number == 7 ? -1 : 0;
        const auto device = devices.find(source);
        scroll(dx, dy, false, device != devices.end() && device->second.natural);
    }

    void scroll(double dx, double dy, bool precise, bool natural) {
        if (scrollSource != ScrollSource::waylandRawCopy) gesture.scroll(dx, dy, precise, natural);
    }

    // Reads the scroll axes of a raw motion; true when it was a scroll.
    bool scrollFrom(const xcb_input_raw_motion_event_t& raw) {
        const auto device = devices.find(raw.sourceid);
        if (device == devices.end() || device->second.axes.empty()) return false;
        const std::uint32_t* mask = xcb_input_raw_button_press_valuator_mask(&raw);
        const xcb_input_fp3232_t* values = xcb_input_raw_button_press_axisvalues(&raw);
        const int count = xcb_input_raw_button_press_axisvalues_length(&raw);
        double dx = 0;
        double dy = 0;
        bool scrolled = false;
        int index = 0;
        for (int bit = 0; bit < raw.valuators_len * 32 && index < count; ++bit) {
            if (!(mask[bit / 32] & (1u << (bit % 32)))) continue;
            const double value = toDouble(values[index++]);
            const auto axis = device->second.axes.find(bit);
            if (axis == device->second.axes.end()) continue;
            ScrollAxis& a = axis->second;
            double delta = value;
            if (a.absolute) {
                delta = a.last ? value - *a.last : 0;
                a.last = value;
            }
            // Axes grow downward and rightward; the platform's deltas grow upward and leftward.
            const double steps = -delta / (a.increment != 0 ? a.increment : 1);
            (a.vertical ? dy : dx) += steps;
            scrolled = true;
        }
        if (!scrolled) return false;
        if (dx == 0 && dy == 0) return true;
        flushMotion();
        const PointerDevice& d = device->second;
        const double scale = d.touchpad ? pointsPerIncrement : 1;
        scroll(dx * scale, dy * scale, d.touchpad, d.natural);
        return true;
    }

    std::uint32_t logicalButton(std::uint32_t physical) const {
        if (physical >= 1 && physical <= buttonMap.size()) return buttonMap[physical - 1];
        return physical;
    }

    void readButtonMap() {
        xcb_connection_t* c = x->get();
        auto* reply = xcb_get_pointer_mapping_reply(c, xcb_get_pointer_mapping(c), nullptr);
        if (!reply) return;
        const std::uint8_t* map = xcb_get_pointer_mapping_map(reply);
        buttonMap.assign(map, map + xcb_get_pointer_mapping_map_length(reply));
        std::free(reply);
    }

    // A device property's first byte: nothing when the device has no such property, 0 when
    // its value is not a byte.
    std::optional<std::uint8_t> property(int device, const char* name) {
        xcb_connection_t* c = x->get();
        const xcb_atom_t atom = x->atom(name);
        auto* reply = xcb_input_xi_get_property_reply(
            c,
            xcb_input_xi_get_property(c, static_cast<xcb_input_device_id_t>(device), 0, atom, XCB_ATOM_ANY, 0,
                                      1),
            nullptr);
        std::optional<std::uint8_t> value;
        if (reply && reply->type != XCB_ATOM_NONE) {
            value = 0;
            if (reply->format == 8 && reply->num_items >= 1)
                value = *static_cast<const std::uint8_t*>(xcb_input_xi_get_property_items(reply));
        }
        std::free(reply);
        return value;
    }

    void readDevices() {
        xcb_connection_t* c = x->get();
        auto* reply =
            xcb_input_xi_query_device_reply(c, xcb_input_xi_query_device(c, XCB_INPUT_DEVICE_ALL), nullptr);
        if (!reply) return;
        devices.clear();
        for (auto it = xcb_input_xi_query_device_infos_iterator(reply); it.rem;
             xcb_input_xi_device_info_next(&it)) {
            const xcb_input_xi_device_info_t* info = it.data;
            if (info->type != XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER) continue;
            PointerDevice device;
            std::map<int, bool> absolute;
            for (auto cls = xcb_input_xi_device_info_classes_iterator(info); cls.rem;
                 xcb_input_device_class_next(&cls)) {
                if (cls.data->type == XCB_INPUT_DEVICE_CLASS_TYPE_SCROLL) {
                    const auto* scroll = reinterpret_cast<const xcb_input_scroll_class_t*>(cls.data);
                    ScrollAxis& axis = device.axes[scroll->number];
                    axis.vertical = scroll->scroll_type == XCB_INPUT_SCROLL_TYPE_VERTICAL;
                    axis.increment = std::abs(toDouble(scroll->increment));
                } else if (cls.data->type == XCB_INPUT_DEVICE_CLASS_TYPE_VALUATOR) {
                    const auto* valuator = reinterpret_cast<const xcb_input_valuator_class_t*>(cls.data);
                    absolute[valuator->number] = valuator->mode == XCB_INPUT_VALUATOR_MODE_ABSOLUTE;
                }
            }
            for (auto& [number, axis] : device.axes) axis.absolute = absolute[number];
            device.touchpad = property(info->deviceid, "libinput Tapping Enabled") ||
                              property(info->deviceid, "Synaptics Off");
            device.natural = property(info->deviceid, "libinput Natural Scrolling Enabled").value_or(0) != 0;
            devices[info->deviceid] = std::move(device);
        }
        std::free(reply);
    }
};

X11PointerMonitor::X11PointerMonitor(const std::string& display, bool waylandSession)
    : impl_(std::make_unique<Impl>(display, waylandSession)) {}

X11PointerMonitor::~X11PointerMonitor() = default;

std::optional<Subscription> X11PointerMonitor::monitor(std::function<void(const PointerEvent&)> handler) {
    impl_->start();
    if (!impl_->watching) return std::nullopt;
    return impl_->events.connect(std::move(handler));
}

Point X11PointerMonitor::mouseLocation() const { return impl_->location(); }

std::int64_t X11PointerMonitor::dragChangeCount() const { return impl_->dragCount; }

bool X11PointerMonitor::throughXWayland() const { return impl_->xwayland.has_value(); }

void X11PointerMonitor::reportPendingEvents() {
    if (!impl_->watching) return;
    // The server sends what it recorded of a warp as it sends the events that followed it: read
    // first, it comes as the move before them.
    if (impl_->warps) impl_->warps->read();
    impl_->x->drainNow();
    impl_->flushMotion();
}

Subscription X11PointerMonitor::followMoves() {
    ++impl_->followers;
    impl_->updateMotionSelection();
    return Subscription([impl = impl_.get(), alive = std::weak_ptr<bool>(impl_->alive)] {
        if (!alive.lock()) return;
        --impl->followers;
        impl->updateMotionSelection();
    });
}

void X11PointerMonitor::pointerMovedOverOwnWindow() {
    if (impl_->watching) impl_->ownWindowMove();
}

void X11PointerMonitor::pointerEnteredOwnWindow() {
    if (impl_->watching) impl_->ownWindowCrossing(true);
}

void X11PointerMonitor::pointerLeftOwnWindow() {
    if (impl_->watching) impl_->ownWindowCrossing(false);
}

// On an X server's own desktop the devices' raw events tell of these already.

void X11PointerMonitor::leftButtonOverOwnWindow(bool pressed) {
    if (impl_->watching && impl_->xwayland) impl_->ownWindowButton(pressed);
}

void X11PointerMonitor::wheelOverOwnWindow(double dx, double dy, bool precise, bool natural,
                                           std::uint32_t time) {
    if (impl_->watching && impl_->xwayland) impl_->ownWindowScroll(dx, dy, precise, natural, time);
}

void X11PointerMonitor::dragOverOwnWindow(std::optional<Point> at, bool ended) {
    if (impl_->watching && impl_->xwayland) impl_->ownWindowDrag(at, ended);
}

}  // namespace quorlix::platform
