// The pointer on a real X server of the test's own (Xvfb): moves, presses and wheel clicks
// made with xdotool reach the monitor, whichever window they go to, with the platform's
// signs, one line per wheel click and quick clicks as one gesture; moves only where they may
// matter; in a Wayland session, a wheel click heard by our window and as a raw event counts
// once.

#include "platform/linux/x11_pointer_monitor.h"

#include "fakes/fake_platform.h"
#include "platform/linux/scroll_gesture.h"

#include "virtual_display.h"

#include <gtest/gtest.h>

#include <QCursor>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

using platform::PointerEvent;
using platform::PointerEventType;

// Something done with xdotool after a command, whose events tell that the command's events
// have all come: the server delivers events in order. The command makes no event of `first`'s
// type; the marker's events run from one of type `first` to one of type `last`.
struct Marker {
    std::vector<std::string> arguments;
    PointerEventType first;
    PointerEventType last;
};
// A left click, after wheel clicks.
const Marker leftClick{{"click", "1"}, PointerEventType::leftMouseDown, PointerEventType::leftMouseUp};
// A wheel click, after moves and presses of the left button.
const Marker wheelClick{{"click", "4"}, PointerEventType::scrollWheel, PointerEventType::scrollWheel};

class X11PointerMonitorTest : public ::testing::Test, public QtApplicationMember {
protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool"})
            if (!installed(program)) GTEST_SKIP() << program << " is not installed";
        ASSERT_TRUE(display.ready());
        auto s = monitor.monitor([this](const PointerEvent& e) { events.push_back(e); });
        ASSERT_TRUE(s) << "no XInput 2.2 on the test's X server";
        subscription = std::move(*s);
    }

    // Runs xdotool to its end; it has made its events on the server by then.
    void xdotool(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ChildProcess run(command);
        ASSERT_TRUE(waitUntil([&] { return !run.running(); }));
        ASSERT_EQ(run.exitStatus(), 0) << run.report();
    }

    // The events that running xdotool with `arguments` caused: all those that came before
    // `marker`'s.
    std::vector<PointerEvent> after(const std::vector<std::string>& arguments, const Marker& marker) {
        events.clear();
        xdotool(arguments);
        xdotool(marker.arguments);
        EXPECT_TRUE(waitUntil([&] { return !events.empty() && events.back().type == marker.last; }))
            << "the marker's events did not come";
        const auto first = std::find_if(events.begin(), events.end(),
                                        [&](const PointerEvent& e) { return e.type == marker.first; });
        return {events.begin(), first};
    }

    static std::vector<PointerEventType> types(const std::vector<PointerEvent>& events) {
        std::vector<PointerEventType> out;
        for (const auto& e : events) out.push_back(e.type);
        return out;
    }

    VirtualDisplay display;
    Variable displayName{"DISPLAY", display.name()};  // for xdotool
    fakes::FakePlatform fake;
    platform::X11PointerMonitor monitor{display.name()};
    Subscription subscription;
    std::vector<PointerEvent> events;
};

TEST_F(X11PointerMonitorTest, WheelClicksAreOneLineEachWithThePlatformsSignAndQuickOnesOneGesture) {
    struct Case {
        std::vector<std::string> click;
        std::size_t clicks;
        double deltaX;
        double deltaY;
    };
    // Button 4 turns the wheel away from the user (up), 6 tilts it left: both positive.
    const Case cases[] = {
        {{"click", "4"}, 1, 0, 1},
        {{"click", "5"}, 1, 0, -1},
        {{"click", "6"}, 1, 1, 0},
        {{"click", "7"}, 1, -1, 0},
        {{"click", "--repeat", "3", "--delay", "20", "5"}, 3, 0, -1},
    };
    for (const auto& c : cases) {
        // The clicks, then the end of their gesture once they stop (on the test's virtual time).
        auto seen = after(c.click, leftClick);
        ASSERT_EQ(seen.size(), c.clicks) << c.click.back();
        const std::size_t heard = events.size();
        fake.time.advance(platform::ScrollGesture::quietPeriod);
        ASSERT_EQ(events.size(), heard + 1) << c.click.back() << ": the gesture did not end";
        seen.push_back(events.back());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            const auto& e = seen[i];
            const bool end = i == c.clicks;
            EXPECT_EQ(e.type, PointerEventType::scrollWheel);
            EXPECT_EQ(e.scroll.deltaX, end ? 0 : c.deltaX) << c.click.back();
            EXPECT_EQ(e.scroll.deltaY, end ? 0 : c.deltaY) << c.click.back();
            EXPECT_FALSE(e.scroll.hasPreciseScrollingDeltas) << "a wheel counts lines";
            const auto phase = end ? platform::ScrollPhase::ended
                                   : (i == 0 ? platform::ScrollPhase::began : platform::ScrollPhase::changed);
            EXPECT_EQ(e.scroll.phase, phase) << c.click.back() << " " << i;
            EXPECT_FALSE(e.scroll.isMomentum());
        }
    }
}

TEST_F(X11PointerMonitorTest, MovesPressesAndDragsOfTheDevicesArrive) {
    {
        const Subscription following = monitor.followMoves();
        EXPECT_EQ(types(after({"mousemove_relative", "--", "5", "5"}, wheelClick)),
                  std::vector{PointerEventType::mouseMoved});
    }
    EXPECT_EQ(types(after({"mousedown", "1"}, wheelClick)), std::vector{PointerEventType::leftMouseDown});
    EXPECT_EQ(types(after({"mousemove_relative", "--", "-3", "0"}, wheelClick)),
              std::vector{PointerEventType::leftMouseDragged});
    EXPECT_EQ(types(after({"mouseup", "1"}, wheelClick)), std::vector{PointerEventType::leftMouseUp});
    EXPECT_TRUE(after({"mousemove_relative", "--", "4", "3"}, wheelClick).empty()) << "a move after the drag";
    // The right button is none of the island's business.
    EXPECT_TRUE(after({"click", "3"}, wheelClick).empty());
    // A program's jump to a place makes no raw motion, and is a move all the same. It is
    // heard on a connection of its own, which a marker does not follow: the move is waited for.
    events.clear();
    xdotool({"mousemove", "100", "80"});
    EXPECT_TRUE(waitUntil([&] { return !events.empty(); })) << "the warp was not heard";
    EXPECT_EQ(types(events), std::vector{PointerEventType::mouseMoved});
}

// A device's moves are told where they may matter: over the application's own windows, while
// the left button is down (above), and anywhere while someone follows them; elsewhere the
// server sends none. A crossing of the windows is a move where the pointer is not where the
// last move was told to be (an arrival with no move after it); where it is, the pointer rests
// and a window changed under it.
TEST_F(X11PointerMonitorTest, MovesAreToldOnlyWhereTheyMayMatter) {
    const std::vector<std::string> move{"mousemove_relative", "--", "4", "3"};
    const std::vector moved{PointerEventType::mouseMoved};
    EXPECT_TRUE(after(move, wheelClick).empty()) << "far from every window of ours";
    std::optional<Subscription> following = monitor.followMoves();
    EXPECT_EQ(types(after(move, wheelClick)), moved) << "followed";
    following.reset();
    EXPECT_TRUE(after(move, wheelClick).empty()) << "no longer followed";
    // The pointer's place as the application reads it (the test's Qt has a screen of its own).
    QCursor::setPos(QCursor::pos() + QPoint(4, 3));
    events.clear();
    monitor.pointerEnteredOwnWindow();
    monitor.reportPendingEvents();
    EXPECT_EQ(types(events), moved) << "an arrival with no move after it";
    EXPECT_EQ(types(after(move, wheelClick)), moved) << "into a window of ours";
    events.clear();
    monitor.pointerLeftOwnWindow();
    monitor.pointerEnteredOwnWindow();
    monitor.pointerLeftOwnWindow();
    monitor.reportPendingEvents();
    EXPECT_TRUE(events.empty()) << "crossings under a still pointer";
    EXPECT_TRUE(after(move, wheelClick).empty()) << "out of it";
}

// The X server's time now: that of the notice of a property changed on a window of its own.
class ServerClock {
public:
    explicit ServerClock(const std::string& display) : x_(xcb_connect(display.c_str(), nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x_)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(x_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    ~ServerClock() { xcb_disconnect(x_); }
    std::uint32_t now() {
        xcb_change_property(x_, XCB_PROP_MODE_APPEND, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
        xcb_flush(x_);
        for (;;) {
            xcb_generic_event_t* event = xcb_wait_for_event(x_);
            if (!event) return 0;
            const bool notice = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
            const std::uint32_t time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            std::free(event);
            if (notice) return time;
        }
    }

private:
    xcb_connection_t* x_;
    xcb_window_t window_ = xcb_generate_id(x_);
};

// In a Wayland session our window and the raw events both tell of a wheel click over the
// island, in either order until a raw one has come: the raw copy of a click our window told,
// no later than it, is not told again; a later click is.
TEST_F(X11PointerMonitorTest, InAWaylandSessionAClickOurWindowToldIsNotToldAgainByItsRawCopy) {
    platform::X11PointerMonitor session(display.name(), true);
    std::vector<double> told;
    auto s = session.monitor([&](const PointerEvent& e) {
        if (e.type == PointerEventType::scrollWheel) told.push_back(e.scroll.deltaY);
    });
    ASSERT_TRUE(s);
    ServerClock clock(display.name());
    // The window's copy of a click that xdotool makes at once, heard first.
    const std::uint32_t click = clock.now() + 3000;
    session.wheelOverOwnWindow(0, 1, false, false, click);
    ASSERT_EQ(told, std::vector<double>{1});
    xdotool({"click", "4"});
    ASSERT_TRUE(waitUntil([&] { return static_cast<std::int32_t>(clock.now() - click) > 0; }));
    xdotool({"click", "5"});
    ASSERT_TRUE(waitUntil([&] { return told.size() >= 2; })) << "the later click was not told";
    EXPECT_EQ(told, (std::vector<double>{1, -1})) << "the raw copy was told again";
}

}  // namespace
}  // namespace quorlix::testing
