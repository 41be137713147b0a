// Trust on a real X server of the test's own: granted where the display is reached outside a
// Wayland session, never grantable inside one.

#include "platform/linux/x11_accessibility_trust.h"

#include "child_process.h"
#include "virtual_display.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace quorlix::testing {
namespace {

// An authority file of one cookie for any host (an empty number: any display).
void writeAuthority(const std::filesystem::path& path, const std::string& number) {
    const auto field = [](std::ofstream& out, const std::string& bytes) {
        out.put(char(bytes.size() >> 8)).put(char(bytes.size() & 0xff)) << bytes;
    };
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.put(char(0xff)).put(char(0xff));  // any family
    field(out, "");
    field(out, number);
    field(out, "MIT-MAGIC-COOKIE-1");
    field(out, "0123456789abcdef");
}

TEST(X11AccessibilityTrust, TrustedOnAReachableDisplayOutsideWayland) {
    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    // Clients need the server's cookie, so that at the end the display can be put out of
    // reach while its server keeps its number (a server ended would free it for another
    // test's server, reachable under the same name).
    fakes::TempHome home;
    const auto serverCookie = home.path() / "server-authority";
    const auto cookie = home.path() / "authority";
    writeAuthority(serverCookie, "");
    VirtualDisplay display("320x240x24", {"-auth", serverCookie.string()});
    ASSERT_TRUE(display.ready());
    writeAuthority(cookie, display.name().substr(1));
    std::optional<Variable> authority(std::in_place, "XAUTHORITY", cookie.string());
    // A desktop's own clients (and the application's windows) stay connected, so the server
    // never resets between two checks.
    xcb_connection_t* desktop = xcb_connect(display.name().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(desktop));
    Variable noWayland("WAYLAND_DISPLAY", "");
    Variable x11Session("XDG_SESSION_TYPE", "x11");

    platform::X11AccessibilityTrust trust(display.name());
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
        Variable named("DISPLAY", display.name());
        EXPECT_TRUE(platform::X11AccessibilityTrust().isProcessTrusted());
    }
    Variable gone("DISPLAY", ":65000");
    EXPECT_FALSE(platform::X11AccessibilityTrust().isProcessTrusted());
    xcb_disconnect(desktop);

    // Once reached, the display is not asked again (the onboarding asks every second): the
    // trust stands once its server admits no one, where a trust asking anew finds nothing.
    authority.emplace("XAUTHORITY", (home.path() / "no-authority").string());
    EXPECT_FALSE(platform::X11AccessibilityTrust(display.name()).isProcessTrusted());
    EXPECT_TRUE(trust.isProcessTrusted());
    EXPECT_TRUE(display.running());
}

}  // namespace
}  // namespace quorlix::testing
