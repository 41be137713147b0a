// Screen lockers on an X server of the test's own (Xvfb): which windows count as a locker, and
// how our windows stack against one.

#include "platform/linux/x11_screen_lockers.h"

#include "virtual_display.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace quorlix::testing {
namespace {

// One X client: its windows share an identifier range.
class Client {
public:
    explicit Client(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {}
    ~Client() { xcb_disconnect(c_); }
    bool ok() const { return !xcb_connection_has_error(c_); }
    std::uint32_t base() const { return xcb_get_setup(c_)->resource_id_base; }

    // A mapped top-level window.
    xcb_window_t window(std::int16_t x, std::int16_t y, std::uint16_t w, std::uint16_t h,
                        bool overrideRedirect = true) {
        const xcb_window_t id = xcb_generate_id(c_);
        const std::uint32_t value = overrideRedirect;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id, root(), x, y, w, h, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &value);
        xcb_map_window(c_, id);
        sync();
        return id;
    }
    void unmap(xcb_window_t w) {
        xcb_unmap_window(c_, w);
        sync();
    }
    // Waits until the server has carried out every request sent so far.
    void sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }
    // Position in the stacking order, from the bottom.
    std::ptrdiff_t level(xcb_window_t w) {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root()), nullptr);
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const auto at = std::find(children, children + xcb_query_tree_children_length(tree), w) - children;
        std::free(tree);
        return at;
    }

private:
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }
    xcb_connection_t* c_;
};

class X11ScreenLockersTest : public ::testing::Test, public QtApplicationMember {
protected:
    void SetUp() override {
        if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(display.ready());
        ours.emplace(display.name());
        other.emplace(display.name());
        ASSERT_TRUE(ours->ok() && other->ok());
        lockers = platform::X11ScreenLockers::open(ours->base(), {}, display.name());
        ASSERT_NE(lockers, nullptr);
        subscriptions.push_back(lockers->onShown([this](std::uint32_t w) { shown.push_back(w); }));
        subscriptions.push_back(lockers->onGone([this](std::uint32_t w) { gone.push_back(w); }));
    }

    VirtualDisplay display{"640x480x24"};
    std::optional<Client> ours, other;
    std::unique_ptr<platform::X11ScreenLockers> lockers;
    std::vector<Subscription> subscriptions;
    std::vector<std::uint32_t> shown, gone;
};

TEST_F(X11ScreenLockersTest, OnlyAnotherClientsFullScreenOverrideRedirectWindowIsALocker) {
    // A menu, an ordinary full-screen window and our own full-screen view are no lockers.
    other->window(10, 10, 200, 100);
    other->window(0, 0, 640, 480, false);
    ours->window(0, 0, 640, 480);
    const xcb_window_t locker = other->window(-5, -5, 650, 490);
    // The server tells of the windows in the order they were mapped: by the time the locker
    // is heard, the others have been judged.
    ASSERT_TRUE(waitUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, std::vector<std::uint32_t>{locker});
    EXPECT_EQ(lockers->mapped(), std::vector<std::uint32_t>{locker});

    other->unmap(locker);
    ASSERT_TRUE(waitUntil([&] { return !gone.empty(); }));
    EXPECT_EQ(gone, std::vector<std::uint32_t>{locker});
    EXPECT_TRUE(lockers->mapped().empty());
}

TEST_F(X11ScreenLockersTest, ALockWindowStacksJustBelowALockerAndAPreviewOneAbove) {
    const xcb_window_t locker = other->window(0, 0, 640, 480);
    // Made after the locker, so above it until restacked.
    const xcb_window_t lockWindow = ours->window(546, 255, 420, 40);
    const xcb_window_t previewWindow = ours->window(100, 100, 339, 185);
    lockers->raise(lockWindow, true);
    lockers->raise(previewWindow, false);
    EXPECT_EQ(other->level(lockWindow) + 1, other->level(locker)) << "just below";
    EXPECT_GT(other->level(previewWindow), other->level(locker));

    // Without a locker a lock window goes on top.
    other->unmap(locker);
    lockers->raise(lockWindow, true);
    EXPECT_GT(other->level(lockWindow), other->level(previewWindow));
}

}  // namespace
}  // namespace quorlix::testing
