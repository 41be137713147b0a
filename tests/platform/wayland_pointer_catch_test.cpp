// The pointer catch's strips on a real X server of the test's own (Xvfb), as a panel in a
// Wayland session uses them: spread around the panel's areas while the pointer is over it,
// gone the moment the pointer reaches one, never back over a pointer that has left, and moved
// only when the areas change. What the server sees of them is read from the root window's
// ConfigureNotify events; the pointer is put where a step needs it (a warp).

#include "platform/linux/wayland_pointer_catch.h"

#include "fakes/fake_platform.h"

#include "qt_test_support.h"
#include "virtual_display.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace quorlix::testing {
namespace {

constexpr int screenWidth = 320;
constexpr int screenHeight = 240;

class WaylandPointerCatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(display.ready());
        c = xcb_connect(display.name().c_str(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c));
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        // The strips' moves, and a window of the test's own whose property changes tell the
        // server's time.
        const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
        clock = xcb_generate_id(c);
        const std::uint32_t clockMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, clock, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &clockMask);
        xcb_flush(c);
        catcher.emplace(display.name(), [this] { ++leaves; });
    }
    void TearDown() override {
        catcher.reset();
        if (c) xcb_disconnect(c);
    }

    void pointTo(int x, int y) {
        xcb_warp_pointer(c, XCB_WINDOW_NONE, root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
                         static_cast<std::int16_t>(y));
        xcb_flush(c);
    }

    // Reads what the server told: the strips' new places, in order.
    void read() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
                const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                placed.emplace_back(e->x, e->y, e->width, e->height);
            } else if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            }
            std::free(event);
        }
    }

    // The server's time now.
    std::uint32_t serverTime() {
        time.reset();
        const char value = 0;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, clock, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 1, &value);
        xcb_flush(c);
        EXPECT_TRUE(waitFor([&] {
            read();
            return time.has_value();
        }));
        return time.value_or(0);
    }

    // Waits for the strips to stand around `taken`, on the rest of the screen: the last four
    // places told (those off the screen are of strips with no room).
    ::testing::AssertionResult spreadAround(const QRect& taken) {
        std::vector<QRect> strips{
            QRect(0, 0, screenWidth, taken.top()),
            QRect(0, taken.bottom() + 1, screenWidth, screenHeight - taken.bottom() - 1),
            QRect(0, taken.top(), taken.left(), taken.height()),
            QRect(taken.right() + 1, taken.top(), screenWidth - taken.right() - 1, taken.height())};
        std::erase_if(strips, [](const QRect& r) { return r.isEmpty(); });
        return waitFor([&] {
            read();
            if (placed.size() < 4) return false;
            std::vector<QRect> last(placed.end() - 4, placed.end());
            std::erase_if(last, offScreen);
            return last == strips;
        });
    }
    // Out of the way: off the screen by more than its size, so that a point of a strip measured
    // from where it stood before lies off the screen too.
    static bool offScreen(const QRect& r) { return r.x() + screenWidth < 0 && r.y() + screenHeight < 0; }
    // Waits for the strips to be out of the way, the last four places told.
    ::testing::AssertionResult parked() {
        return waitFor([&] {
            read();
            return placed.size() >= 4 && std::all_of(placed.end() - 4, placed.end(), offScreen);
        });
    }

    QtApplicationMember qt;
    VirtualDisplay display{std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24"};
    fakes::FakePlatform fake;
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_window_t clock = 0;
    std::optional<std::uint32_t> time;
    std::vector<QRect> placed;
    int leaves = 0;
    std::optional<platform::WaylandPointerCatch> catcher;
};

TEST_F(WaylandPointerCatchTest, TheStripsCatchALeaveAndNeverComeBackOverThePointerThatLeft) {
    const QRect screen(0, 0, screenWidth, screenHeight);
    const QRect island(100, 0, 100, 40);
    pointTo(150, 20);
    const std::uint32_t before = serverTime();
    EXPECT_FALSE(catcher->cameBeforeLeaving(before)) << "no leave was caught yet";
    catcher->spread({island}, screen);
    ASSERT_TRUE(spreadAround(island)) << "the strips were not spread";
    ASSERT_TRUE(catcher->isSpread());

    // Asked again around the same areas (a change of the island that moved nothing), they stay.
    const std::size_t placements = placed.size();
    catcher->spread({island}, screen);

    // The pointer leaves through the strip below: they go before the main thread hears of it.
    pointTo(150, 100);
    ASSERT_TRUE(parked()) << "the strips did not go when the pointer reached one";
    EXPECT_EQ(placed.size(), placements + 4) << "the strips moved though their areas did not change";
    EXPECT_EQ(leaves, 0);
    // Meanwhile the island's areas change: the main thread, not knowing yet, asks for the strips
    // around them, which would stand under the pointer.
    const QRect hud(60, 0, 200, 50);
    catcher->spread({hud}, screen);
    ASSERT_TRUE(waitFor([&] {
        fake.time.runPending();
        return leaves == 1;
    })) << "the leave was not told";
    EXPECT_FALSE(catcher->isSpread());
    const std::uint32_t after = serverTime();
    EXPECT_TRUE(catcher->cameBeforeLeaving(before)) << "a move from before the leave counts as new";
    EXPECT_FALSE(catcher->cameBeforeLeaving(after + 1)) << "a move after the leave counts as old";

    // The pointer back over the island: spread again around where it is now.
    pointTo(150, 20);
    const QRect open(60, 0, 200, 150);
    catcher->spread({open}, screen);
    ASSERT_TRUE(spreadAround(open));
    EXPECT_EQ(std::count(placed.begin(), placed.end(), QRect(0, 50, screenWidth, screenHeight - 50)), 0)
        << "the strips came back around the areas asked for before the leave was heard";
    fake.time.runPending();
    EXPECT_EQ(leaves, 1) << "the pointer that had left was caught again";
}

}  // namespace
}  // namespace quorlix::testing
