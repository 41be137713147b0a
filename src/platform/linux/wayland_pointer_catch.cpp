#include "platform/linux/wayland_pointer_catch.h"

#include "platform/main_queue.h"
#include "ui/qt/x11_window_pixels.h"

#include <xcb/xcb.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace quorlix::platform {

namespace {

// Where the strips wait: off every screen by more than the screens' size, so that the moves a
// compositor still hands over a strip that moved away, measured from where it was, put the
// pointer off every screen too (see the header).
QPoint parkingPlace(const xcb_screen_t& screen) {
    constexpr int margin = 64;
    constexpr int farthest = -32768;
    return {std::max(-(screen.width_in_pixels + margin), farthest),
            std::max(-(screen.height_in_pixels + margin), farthest)};
}

// The strips around `taken` on `screen`: above and below it the screen's width, left and right
// of it its height.
std::array<QRect, 4> stripsAround(const QRect& taken, const QRect& screen) {
    const QRect s = screen;
    const QRect b = taken.intersected(s);
    return {QRect(QPoint(s.left(), s.top()), QPoint(s.right(), b.top() - 1)),
            QRect(QPoint(s.left(), b.bottom() + 1), QPoint(s.right(), s.bottom())),
            QRect(QPoint(s.left(), b.top()), QPoint(b.left() - 1, b.bottom())),
            QRect(QPoint(b.right() + 1, b.top()), QPoint(s.right(), b.bottom()))};
}

}  // namespace

struct WaylandPointerCatch::Shared {
    xcb_connection_t* c = nullptr;
    std::array<xcb_window_t, 4> strips{};
    QPoint parked;
    int wake = -1;
    std::thread thread;
    // Who hears of a catch: the catch itself, none once it is gone. Main thread only.
    WaylandPointerCatch* owner = nullptr;

    // What the main thread asks for, under the lock, with how many catches it had heard of
    // when it asked: strips asked for before it heard of the last one would go back over a
    // pointer that has left.
    std::mutex lock;
    std::optional<std::array<QRect, 4>> wanted;  // nothing: out of the way
    std::uint64_t wantedAfter = 0;
    bool changed = false;
    bool quit = false;
    // How many times the thread moved the strips away as the pointer reached one.
    std::uint64_t catches = 0;

    ~Shared() {
        if (c) xcb_disconnect(c);
        if (wake >= 0) ::close(wake);
    }

    // Makes the strips once: clear windows the server fills itself, mapped out of the way.
    bool make() {
        parked = parkingPlace(*xcb_setup_roots_iterator(xcb_get_setup(c)).data);
        for (xcb_window_t& strip : strips) {
            strip = ui::qt::mapClearWindow(c, parked.x(), parked.y(), 1, 1,
                                           XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_POINTER_MOTION);
            if (!strip) return false;
        }
        xcb_flush(c);
        return true;
    }

    void place(const std::optional<std::array<QRect, 4>>& rects) {
        for (std::size_t i = 0; i < strips.size(); ++i) {
            const QRect r = rects && !(*rects)[i].isEmpty() ? (*rects)[i] : QRect(parked, QSize(1, 1));
            const std::uint32_t values[] = {static_cast<std::uint32_t>(r.x()),
                                            static_cast<std::uint32_t>(r.y()),
                                            static_cast<std::uint32_t>(r.width()),
                                            static_cast<std::uint32_t>(r.height()), XCB_STACK_MODE_ABOVE};
            xcb_configure_window(c, strips[i],
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                     XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                                 values);
        }
        xcb_flush(c);
    }

    bool isStrip(xcb_window_t window) const {
        for (const xcb_window_t strip : strips)
            if (strip == window) return true;
        return false;
    }

    // The thread: places the strips as asked, and moves them away the moment the pointer
    // enters one, before the main thread hears of it.
    void run(const std::shared_ptr<Shared>& self) {
        bool spread = false;
        for (;;) {
            pollfd fds[] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {wake, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
            if (fds[1].revents & POLLIN) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto n = ::read(wake, &count, sizeof count);
                std::optional<std::array<QRect, 4>> rects;
                bool apply = false;
                {
                    const std::lock_guard hold(lock);
                    if (quit) return;
                    apply = std::exchange(changed, false) && (!wanted || wantedAfter == catches);
                    rects = wanted;
                }
                if (apply) {
                    place(rects);
                    spread = rects.has_value();
                }
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
                const std::uint8_t type = event->response_type & 0x7f;
                xcb_window_t window = XCB_WINDOW_NONE;
                xcb_timestamp_t time = 0;
                if (type == XCB_ENTER_NOTIFY) {
                    const auto* enter = reinterpret_cast<xcb_enter_notify_event_t*>(event);
                    window = enter->event;
                    time = enter->time;
                } else if (type == XCB_MOTION_NOTIFY) {
                    const auto* motion = reinterpret_cast<xcb_motion_notify_event_t*>(event);
                    window = motion->event;
                    time = motion->time;
                }
                std::free(event);
                if (!spread || !isStrip(window)) continue;
                spread = false;
                // Out of the way first, so the next press finds the window below; then the word,
                // unless the catch is going.
                place(std::nullopt);
                const std::lock_guard hold(lock);
                if (quit) return;
                ++catches;
                MainQueue::shared().post([self, time] {
                    if (self->owner) self->owner->caught(time);
                });
            }
            if (xcb_connection_has_error(c)) return;
        }
    }

    void ask(std::optional<std::array<QRect, 4>> rects, std::uint64_t heard) {
        {
            const std::lock_guard hold(lock);
            wanted = std::move(rects);
            wantedAfter = heard;
            changed = true;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wake, &one, sizeof one);
    }
};

WaylandPointerCatch::WaylandPointerCatch(const std::string& display, std::function<void()> left)
    : left_(std::move(left)) {
    auto shared = std::make_shared<Shared>();
    shared->c = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    shared->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (xcb_connection_has_error(shared->c) || shared->wake < 0 || !shared->make()) return;
    shared_ = shared;
    shared_->owner = this;
    // The thread, and the word of a catch it posts, keep what they use alive.
    shared_->thread = std::thread([shared] { shared->run(shared); });
}

WaylandPointerCatch::~WaylandPointerCatch() {
    if (!shared_) return;
    {
        const std::lock_guard hold(shared_->lock);
        shared_->quit = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(shared_->wake, &one, sizeof one);
    shared_->thread.join();
    shared_->owner = nullptr;
    shared_.reset();
}

void WaylandPointerCatch::spread(const std::vector<QRect>& areas, const QRect& screen) {
    if (!shared_) return;
    QRect taken;
    for (const QRect& area : areas) taken |= area;
    if (taken.isEmpty() || screen.isEmpty()) {
        dismiss();
        return;
    }
    const auto strips = stripsAround(taken, screen);
    // Where they are already, they stay: moving them makes the server fill them again.
    if (spread_ && strips == strips_) return;
    spread_ = true;
    strips_ = strips;
    shared_->ask(strips, caughtCount_);
}

void WaylandPointerCatch::dismiss() {
    if (!shared_ || !spread_) return;
    spread_ = false;
    shared_->ask(std::nullopt, caughtCount_);
}

bool WaylandPointerCatch::cameBeforeLeaving(std::uint32_t serverTime) const {
    // The server's clock counts milliseconds and wraps around every 49 days.
    return caughtCount_ > 0 && static_cast<std::int32_t>(serverTime - caughtAt_) <= 0;
}

void WaylandPointerCatch::caught(std::uint32_t serverTime) {
    // The thread moved the strips away, and drops what was asked before this was heard.
    ++caughtCount_;
    caughtAt_ = serverTime;
    spread_ = false;
    if (left_) left_();
}

}  // namespace quorlix::platform
