// The pointer catch's strips on a real X server of the test's own (Xvfb), as a panel in a
// Wayland session uses them: where the server puts them is read from the root window's
// ConfigureNotify events, its time from a property changed; the pointer is warped.

#include "platform/linux/wayland_pointer_catch.h"

#include "fakes/fake_platform.h"

#include "virtual_display.h"

#include <QScopeGuard>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace quorlix::testing {
namespace {

// Spread around the island while the pointer is over it, gone the moment the pointer reaches
// one, never back over a pointer that has left, and moved only when the island's areas change.
TEST(WaylandPointerCatch, TheStripsCatchALeaveAndNeverComeBackOverThePointerThatLeft) {
    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay display;  // 320x240
    ASSERT_TRUE(display.ready());
    const QRect screen(0, 0, 320, 240);
    fakes::FakePlatform fake;
    xcb_connection_t* c = xcb_connect(display.name().c_str(), nullptr);
    const auto disconnect = qScopeGuard([c] { xcb_disconnect(c); });
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    int leaves = 0;
    platform::WaylandPointerCatch catcher(display.name(), [&] { ++leaves; });

    std::vector<QRect> placed;
    std::optional<std::uint32_t> time;
    const auto read = [&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if (const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY)
                placed.emplace_back(e->x, e->y, e->width, e->height);
            else if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            std::free(event);
        }
    };
    const auto serverTime = [&] {
        time.reset();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_CUT_BUFFER0, XCB_ATOM_STRING, 8, 1, "t");
        xcb_flush(c);
        EXPECT_TRUE(waitFor([&] { return read(), time.has_value(); }));
        return time.value_or(0);
    };
    const auto pointTo = [&](int x, int y) {
        xcb_warp_pointer(c, XCB_WINDOW_NONE, root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
                         static_cast<std::int16_t>(y));
        xcb_flush(c);
    };
    // Waits for the last four places told to be the strips around `taken` (nothing: out of the
    // way, off the screen by more than its size; so is a strip with no room).
    const auto placedAround = [&](std::optional<QRect> taken) {
        std::vector<QRect> strips;
        if (taken)
            strips = {QRect(0, taken->bottom() + 1, 320, 240 - taken->bottom() - 1),
                      QRect(0, 0, taken->left(), taken->height()),
                      QRect(taken->right() + 1, 0, 320 - taken->right() - 1, taken->height())};
        return waitFor([&] {
            read();
            if (placed.size() < 4) return false;
            std::vector<QRect> last(placed.end() - 4, placed.end());
            std::erase_if(last, [](const QRect& r) { return r.x() + 320 < 0 && r.y() + 240 < 0; });
            return last == strips;
        });
    };

    const QRect island(100, 0, 100, 40);
    pointTo(150, 20);
    const std::uint32_t before = serverTime();
    EXPECT_FALSE(catcher.cameBeforeLeaving(before)) << "no leave was caught yet";
    catcher.spread({island}, screen);
    ASSERT_TRUE(placedAround(island)) << "the strips were not spread";
    // Asked again around the same areas (a change of the island that moved nothing), they stay.
    const std::size_t placements = placed.size();
    catcher.spread({island}, screen);

    // The pointer leaves through the strip below: they go before the main thread hears of it,
    // which meanwhile asks for them around the island's new areas, under the pointer.
    pointTo(150, 100);
    ASSERT_TRUE(placedAround(std::nullopt)) << "the strips did not go when the pointer reached one";
    EXPECT_EQ(placed.size(), placements + 4) << "the strips moved though their areas did not change";
    catcher.spread({QRect(60, 0, 200, 50)}, screen);
    ASSERT_TRUE(waitFor([&] { return fake.time.runPending(), leaves == 1; })) << "the leave was not told";
    EXPECT_TRUE(catcher.cameBeforeLeaving(before)) << "a move from before the leave counts as new";
    EXPECT_FALSE(catcher.cameBeforeLeaving(serverTime() + 1)) << "a move after the leave counts as old";

    // Over the island again, they spread around where it is now, and only there.
    pointTo(150, 20);
    const QRect open(60, 0, 200, 150);
    catcher.spread({open}, screen);
    ASSERT_TRUE(placedAround(open));
    EXPECT_EQ(std::count(placed.begin(), placed.end(), QRect(0, 50, 320, 240 - 50)), 0)
        << "the strips came back around the areas asked for before the leave was heard";
    fake.time.runPending();
    EXPECT_EQ(leaves, 1) << "the pointer that had left was caught again";
}

}  // namespace
}  // namespace quorlix::testing
