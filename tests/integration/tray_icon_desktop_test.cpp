// Quorlix's tray icon in a real X11 system tray: trayer on a server of the test's own, its
// panel tinted dark or light, the icon's bars read from the screen. GNOME's colour scheme lives
// in a GSettings key file in the test's home; the tray's colours are set on the tray as a tray
// sets them.

#include "desktop_session.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace tray_icon {

// The tray along the bottom left, clear of the island at the top; the icon docks in its first
// 24 pixels.
constexpr int screenHeight = 480, panelHeight = 32, iconPlace = 24;

double luminance(std::uint32_t rgb) {
    const auto linear = [rgb](int shift) {
        const double c = ((rgb >> shift) & 0xff) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(16) + 0.7152 * linear(8) + 0.0722 * linear(0);
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto missing = DesktopSession::missingProgram(false))
            GTEST_SKIP() << *missing << " is missing";
        if (!installed("trayer")) GTEST_SKIP() << "trayer is missing";
    }
    void TearDown() override { endSession(); }

    void startSession(const char* colorScheme) {
        session.emplace("640x" + std::to_string(screenHeight) + "x24", false);
        ASSERT_TRUE(session->ready());
        x = xcb_connect(session->display.name().c_str(), nullptr);
        setColorScheme(colorScheme);
        markWelcomeSeen(session->home.config() / "com.halvik.quorlix.json");
    }
    // The tray before its X server.
    void endSession() {
        tray.reset();
        if (x) xcb_disconnect(x);
        x = nullptr;
        session.reset();
    }
    // Waits until it holds the tray's selection.
    void startTray(const char* tint) {
        tray.emplace(
                std::vector<std::string>{"trayer", "--edge", "bottom", "--align", "left", "--widthtype",
                                         "pixel", "--width", "64", "--height", std::to_string(panelHeight),
                                         "--transparent", "true", "--alpha", "0", "--tint", tint},
                std::vector<ChildProcess::Open>{
                    {1, "/dev/null", O_WRONLY},
                    {2, (session->home.path() / "trayer.log").string(), O_WRONLY | O_CREAT | O_TRUNC}})
            .watch();
        ASSERT_TRUE(waitFor([&] { return trayOwner() != XCB_WINDOW_NONE; })) << "trayer never took the tray";
    }
    void setColorScheme(const char* scheme) {
        const auto file = session->home.config() / "glib-2.0/settings/keyfile";
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "[org/gnome/desktop/interface]\ncolor-scheme='" << scheme << "'\n";
    }
    void setTrayForeground(std::uint16_t grey) {
        std::vector<std::uint32_t> colours(12, grey);
        xcb_change_property(x, XCB_PROP_MODE_REPLACE, trayOwner(), atom("_NET_SYSTEM_TRAY_COLORS"),
                            XCB_ATOM_CARDINAL, 32, 12, colours.data());
        xcb_flush(x);
    }
    std::string log() const { return fileText(session->home.state() / "Quorlix.log"); }

    // Waits until the icon shows with bars lighter (or darker) than the panel, then checks that
    // they stand out from it by `contrast` at least.
    ::testing::AssertionResult barsShow(bool lighter, double contrast = 1) {
        double panel = 0, bars = 0;
        auto shown = waitFor([&] {
            const auto pixels = screen();
            if (pixels.empty()) return false;
            // The panel's colour is the commonest; the bars are what stands out most from it.
            std::map<std::uint32_t, int> counts;
            for (const std::uint32_t p : pixels) ++counts[p];
            const std::uint32_t background =
                std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                    return a.second < b.second;
                })->first;
            panel = bars = luminance(background);
            for (const std::uint32_t p : pixels)
                if (std::abs(luminance(p) - panel) > std::abs(bars - panel)) bars = luminance(p);
            return counts[background] < int(pixels.size()) - 40 && (bars > panel) == lighter;
        });
        const double ratio = (std::max(panel, bars) + 0.05) / (std::min(panel, bars) + 0.05);
        if (!shown) return shown << "panel luminance " << panel << ", bars " << bars;
        if (ratio < contrast) return ::testing::AssertionFailure() << "contrast " << ratio;
        return ::testing::AssertionSuccess();
    }

    std::optional<DesktopSession> session;
    const Variable settingsBackend{"GSETTINGS_BACKEND", "keyfile"};
    std::optional<ChildProcess> tray;
    xcb_connection_t* x = nullptr;

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }
    xcb_window_t trayOwner() {
        auto* reply = xcb_get_selection_owner_reply(
            x, xcb_get_selection_owner(x, atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        const xcb_window_t owner = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
        std::free(reply);
        return owner;
    }
    // The panel's first place, where the icon docks, as the screen shows it (0xrrggbb).
    std::vector<std::uint32_t> screen() {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
        auto* image =
            xcb_get_image_reply(x,
                                xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0,
                                              screenHeight - panelHeight, iconPlace, panelHeight, ~0u),
                                nullptr);
        std::vector<std::uint32_t> pixels(iconPlace * panelHeight);
        if (image && xcb_get_image_data_length(image) == int(pixels.size() * 4))
            std::memcpy(pixels.data(), xcb_get_image_data(image), pixels.size() * 4);
        else
            pixels.clear();
        std::free(image);
        for (auto& p : pixels) p &= 0xffffff;
        return pixels;
    }
};

TEST_F(TrayIcon, ItsBarsAreLightOnADarkPanelAndDarkOnALightOneTheDesktopPrefers) {
    const struct {
        const char *tint, *colorScheme;
        bool lightBars;
    } cases[] = {{"0x202020", "default", true}, {"0xe8e8e8", "prefer-light", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tint);
        startSession(c.colorScheme);
        startTray(c.tint);
        {
            const auto quorlix = session->launch();
            // As readable as text should be.
            EXPECT_TRUE(barsShow(c.lightBars, 4.5));
            EXPECT_EQ(log().find("bandeja"), std::string::npos) << log();
        }
        endSession();
    }
}

TEST_F(TrayIcon, ItsBarsFollowTheDesktopsPreferenceAndThenTheTraysColours) {
    startSession("default");
    startTray("0xe8e8e8");
    const auto quorlix = session->launch();
    // Nothing says the panel is light yet.
    ASSERT_TRUE(barsShow(true));
    setColorScheme("prefer-light");
    EXPECT_TRUE(barsShow(false));
    // The tray asks for a pale foreground: its panel is dark, whatever the desktop prefers.
    setTrayForeground(0xf0f0);
    EXPECT_TRUE(barsShow(true));
}

TEST_F(TrayIcon, WithoutATrayTheLogSaysSo) {
    startSession("default");
    const auto quorlix = session->launch();
    EXPECT_TRUE(
        waitFor([&] { return log().find("bandeja: no hay bandeja del sistema") != std::string::npos; }));
}

}  // namespace tray_icon
}  // namespace
}  // namespace quorlix::testing
