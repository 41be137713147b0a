// The desktop on a real X server of the test's own (Xvfb), whose window manager the test
// plays: it keeps the standard root properties and a video player's window, which goes into
// and out of full screen and loses the focus, as a user's desktop would before and after
// Quorlix starts.

#include "platform/linux/x11_window_server.h"

#include "fakes/fake_platform.h"
#include "window/notch_window_controller.h"

#include "virtual_display.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace quorlix::testing {
namespace {

constexpr int screenWidth = 320;
constexpr int screenHeight = 240;

// The window manager's side: application windows and the root properties it keeps.
class WindowManager {
public:
    explicit WindowManager(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        if (!xcb_connection_has_error(c_)) root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~WindowManager() { xcb_disconnect(c_); }
    bool connected() const { return root_ != 0; }

    // A mapped window of the application `className` running as process `pid`.
    xcb_window_t open(const std::string& className, std::uint32_t pid) {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        set(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, {pid});
        const std::string wmClass = className + '\0' + className + '\0';
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
        xcb_map_window(c_, w);
        windows_.push_back(w);
        set(root_, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, windows_);
        xcb_flush(c_);
        return w;
    }

    void activate(xcb_window_t window) {
        set(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, {window});
        xcb_flush(c_);
    }

    // What F11 does: the state first, then the window fills the screen (or goes back).
    void setFullscreen(xcb_window_t window, bool on, bool focused = false) {
        std::vector<std::uint32_t> state;
        if (on) state.push_back(atom("_NET_WM_STATE_FULLSCREEN"));
        if (focused) state.push_back(atom("_NET_WM_STATE_FOCUSED"));
        set(window, "_NET_WM_STATE", XCB_ATOM_ATOM, state);
        const std::uint32_t geometry[] = {on ? 0u : 10u, on ? 0u : 10u,
                                          on ? std::uint32_t(screenWidth) : 200u,
                                          on ? std::uint32_t(screenHeight) : 100u};
        xcb_configure_window(
            c_, window,
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            geometry);
        xcb_flush(c_);
    }

    void switchWorkspace(std::uint32_t number) {
        set(root_, "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, {number});
        xcb_flush(c_);
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::string(name).size()), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return a;
    }
    void set(xcb_window_t window, const char* name, xcb_atom_t type,
             const std::vector<std::uint32_t>& values) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    std::vector<std::uint32_t> windows_;
};

TEST(X11WindowServerTest, FullScreenInsideTheWindowInFrontAndFocusToNoneAreReported) {
    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    QtApplicationMember app;
    VirtualDisplay display(std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24");
    ASSERT_TRUE(display.ready());
    fakes::FakePlatform fake;
    WindowManager wm(display.name());
    ASSERT_TRUE(wm.connected());

    // The video player is in front before Quorlix starts.
    const xcb_window_t video = wm.open("VLC", 4242);
    wm.activate(video);

    platform::X11WindowServer server(display.name());
    int frontChanges = 0;
    int activations = 0;
    int spaceChanges = 0;
    Subscription frontWindow = server.onFrontWindowChanged([&] { ++frontChanges; });
    Subscription activated = server.onApplicationActivated([&] { ++activations; });
    Subscription space = server.onActiveSpaceChanged([&] { ++spaceChanges; });
    const auto front = server.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, "VLC");
    EXPECT_EQ(front->processIdentifier, 4242);

    // The island's own check, against this screen.
    platform::Screen screen;
    screen.frame = Rect(0, 0, screenWidth, screenHeight);
    fake.screens.list = {screen};
    platform::Platform backends = fake.platform();
    backends.windowServer = &server;
    const auto fullscreen = [&] {
        return NotchWindowController::frontmostIsFullscreen(screen.frame, backends);
    };
    EXPECT_FALSE(fullscreen());

    wm.setFullscreen(video, true);
    ASSERT_TRUE(waitUntil([&] { return frontChanges == 1; }));
    EXPECT_TRUE(fullscreen());
    // Other state changes of the window (the focus hint) are not full-screen changes: heard
    // before the workspace switch sent after them, they changed nothing.
    wm.setFullscreen(video, true, true);
    wm.switchWorkspace(1);
    ASSERT_TRUE(waitUntil([&] { return spaceChanges == 1; }));
    EXPECT_EQ(frontChanges, 1);

    wm.setFullscreen(video, false);
    ASSERT_TRUE(waitUntil([&] { return frontChanges == 2; }));
    EXPECT_FALSE(fullscreen());

    // The full-screen window is minimised: nothing is in front.
    wm.setFullscreen(video, true);
    ASSERT_TRUE(waitUntil([&] { return frontChanges == 3; }));
    wm.activate(XCB_WINDOW_NONE);
    ASSERT_TRUE(waitUntil([&] { return frontChanges == 4; }));
    EXPECT_FALSE(server.frontmostApplication());
    EXPECT_FALSE(fullscreen());
    EXPECT_EQ(activations, 0);

    // Another application in front; the window behind it changing is none of our business.
    const xcb_window_t editor = wm.open("Gedit", 5151);
    wm.activate(editor);
    ASSERT_TRUE(waitUntil([&] { return activations == 1; }));
    wm.setFullscreen(video, false);
    wm.switchWorkspace(2);
    ASSERT_TRUE(waitUntil([&] { return spaceChanges == 2; }));
    EXPECT_EQ(frontChanges, 4);
}

}  // namespace
}  // namespace quorlix::testing
