// Trust on a real X server of the test's own: granted where the display is reached outside a
// Wayland session, never grantable inside one.

#include "platform/linux/x11_accessibility_trust.h"

#include "child_process.h"
#include "virtual_display.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <optional>
#include <string>

namespace quorlix::testing {
namespace {

TEST(X11AccessibilityTrust, TrustedOnAReachableDisplayOutsideWayland) {
    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    std::optional<VirtualDisplay> display(std::in_place);
    ASSERT_TRUE(display->ready());
    // A desktop's own clients (and the application's windows) stay connected, so the server
    // never resets between two checks.
    xcb_connection_t* desktop = xcb_connect(display->name().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(desktop));
    Variable noWayland("WAYLAND_DISPLAY", "");
    Variable x11Session("XDG_SESSION_TYPE", "x11");

    platform::X11AccessibilityTrust trust(display->name());
    EXPECT_TRUE(trust.isProcessTrusted());
    EXPECT_TRUE(trust.requestTrust()) << "nothing to prompt for";
    EXPECT_TRUE(trust.canBeGranted());
    // In a Wayland session nothing can ever grant it.
    {
        Variable wayland("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_FALSE(trust.isProcessTrusted());
        EXPECT_FALSE(trust.requestTrust());
        EXPECT_FALSE(trust.canBeGranted());
    }
    {
        Variable session("XDG_SESSION_TYPE", "wayland");
        EXPECT_FALSE(trust.isProcessTrusted());
        EXPECT_FALSE(trust.canBeGranted());
    }
    EXPECT_TRUE(trust.isProcessTrusted());

    // The display named by $DISPLAY by default; none reachable, no trust.
    {
        Variable named("DISPLAY", display->name());
        EXPECT_TRUE(platform::X11AccessibilityTrust().isProcessTrusted());
    }
    Variable gone("DISPLAY", ":65000");
    EXPECT_FALSE(platform::X11AccessibilityTrust().isProcessTrusted());
    xcb_disconnect(desktop);

    // Once reached, the display is not asked again (the onboarding asks every second): the
    // trust stands after its server went, where a trust asking anew finds nothing.
    const std::string name = display->name();
    display.reset();
    EXPECT_FALSE(platform::X11AccessibilityTrust(name).isProcessTrusted());
    EXPECT_TRUE(trust.isProcessTrusted());
}

}  // namespace
}  // namespace quorlix::testing
