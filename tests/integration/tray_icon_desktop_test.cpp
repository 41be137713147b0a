// Quorlix's tray icon in a real X11 system tray: trayer on a server of the test's own, its
// panel tinted dark or light, the icon's bars read from the screen. GNOME's colour scheme lives
// in a GSettings key file in the test's home; the tray's colours are set on the tray as a tray
// sets them. trayer itself asks for no colours.
//
// The icon's menu is driven as a user drives it: opened with a click on the icon, its item
// highlighted with the keyboard or the pointer and chosen with a key or a click.

#include "desktop_session.h"
#include "desktop_windows.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

namespace quorlix::testing {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace tray_icon {

// The tray along the bottom left, clear of the island at the top; the icon docks in its first
// 24 pixels.
constexpr int panelHeight = 32, iconPlace = 24;

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

    // A small screen without a compositing manager unless told otherwise.
    void startSession(const char* colorScheme, int width = 640, int height = 480, bool compositing = false) {
        screenWidth = width;
        screenHeight = height;
        session.emplace(std::to_string(width) + "x" + std::to_string(height) + "x24", compositing);
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

    // What the screen shows along its top, where the island lives.
    QImage top() const { return grab(session->display.name(), {0, 0, screenWidth, 230}); }

    // Opens the icon's menu with a click on the icon, and highlights its third item, "Bandeja de
    // archivos", with the keyboard; `at` is where the highlighted item shows on the screen.
    ::testing::AssertionResult highlightTrayItem(QPoint* at = nullptr) {
        // Above the icon, where the menu opens.
        const Geometry menu{0, screenHeight - 260, 400, 260 - panelHeight};
        const std::string y = std::to_string(screenHeight - panelHeight / 2);
        if (run({"xdotool", "mousemove", "12", y, "click", "1"}) != 0)
            return ::testing::AssertionFailure() << "xdotool failed";
        const auto bright = [](const QImage& image) {
            int count = 0;
            for (int row = 0; row < image.height(); ++row)
                for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, row)) > 200;
            return count;
        };
        if (auto shown = waitFor([&] { return bright(grab(session->display.name(), menu)) > 3000; }); !shown)
            return shown << "no menu";
        if (run({"xdotool", "key", "Down", "Down", "Down"}) != 0)
            return ::testing::AssertionFailure() << "xdotool failed";
        // The highlight is a band of saturated blue across the menu, looked for once the menu
        // is still: a menu drawn in part would misplace it.
        const auto band = [](const QImage& image) -> std::optional<int> {
            int rows = 0, sumY = 0;
            for (int row = 0; row < image.height(); ++row) {
                int blue = 0;
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, row);
                    blue += qBlue(p) > 150 && qBlue(p) > qRed(p) + 80;
                }
                if (blue > 100) ++rows, sumY += row;
            }
            if (rows < 8) return std::nullopt;
            return sumY / rows;
        };
        QImage still;
        auto highlighted = atRest(session->display.name(), menu, &still,
                                  [&](const QImage& image) { return band(image).has_value(); });
        if (highlighted && at) *at = QPoint(menu.x + 100, menu.y + *band(still));
        return highlighted;
    }

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

    int screenWidth = 0, screenHeight = 0;
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

TEST_F(TrayIcon, ItsBarsAreLightOnADarkPanelAndDarkOnALightOne) {
    const struct {
        const char *tint, *colorScheme;
        bool lightBars;
    } cases[] = {
        {"0x202020", "default", true},
        {"0xe8e8e8", "prefer-light", false},
        // Neither the tray nor the desktop says: the tray's own colour behind the icon does.
        {"0xeeeeee", "default", false},
    };
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
    startTray("0x202020");
    const auto quorlix = session->launch();
    // Only the tray's dark colour behind the icon says anything yet.
    ASSERT_TRUE(barsShow(true));
    // The desktop's preference comes before what the tray shows.
    setColorScheme("prefer-light");
    EXPECT_TRUE(barsShow(false));
    // The tray asks for a pale foreground: its panel is dark, whatever the desktop prefers.
    setTrayForeground(0xf0f0);
    EXPECT_TRUE(barsShow(true));
}

// A tray replaced under a running Quorlix, light and dark by turns: the icon docks in each new
// one and its bars follow each panel, however the new tray orders its windows' maps.
TEST_F(TrayIcon, ItsBarsFollowEachTrayThatReplacesTheLast) {
    startSession("default");
    startTray("0x202020");
    const auto quorlix = session->launch();
    ASSERT_TRUE(barsShow(true));
    for (int i = 0; i < 4; ++i) {
        tray.reset();
        startTray(i % 2 ? "0x202020" : "0xe8e8e8");
        EXPECT_TRUE(barsShow(i % 2, 4.5)) << i;
    }
}

TEST_F(TrayIcon, TheFileTrayChosenFromItsMenuWithThePointerStaysOpenAsWithTheKeyboard) {
    constexpr int width = 1280, centre = width / 2;
    for (const char* mode : {"click", "hover"}) {
        SCOPED_TRACE(mode);
        startSession("default", width, 720, true);
        paintWallpaper(session->display.name());
        std::ofstream(session->home.config() / "com.halvik.quorlix.json")
            << R"({"didShowWelcome": true, "openMode": ")" << mode << R"("})";
        startTray("0x202020");
        {
            const auto quorlix = session->launch();
            ASSERT_TRUE(barsShow(true)) << "the icon never docked";
            // The open island at rest on one page (on `like`'s, when given), kept in `page`.
            const auto openAtRest = [&](QImage* page, const QImage* like) {
                return atRest(session->display.name(), pageAreaAround(centre), page,
                              [&](const QImage& shown) {
                                  return expandedAround(top(), centre) && (!like || samePage(*like, shown));
                              });
            };

            // Chosen with the keyboard, the tray opens for a few seconds, then closes with the
            // pointer away from it.
            ASSERT_TRUE(highlightTrayItem());
            ASSERT_EQ(run({"xdotool", "key", "Return"}), 0);
            QImage tray;
            ASSERT_TRUE(openAtRest(&tray, nullptr)) << "the keyboard's choice did not open the tray";
            ASSERT_TRUE(waitFor([&] { return !expandedAround(top(), centre); })) << "the tray never closed";

            // Chosen with the pointer, the same: the release that ends the choice is no click
            // away from the island it opens. The island comes to rest open on the tray's page,
            // longer than a click away would have kept it.
            QPoint item;
            ASSERT_TRUE(highlightTrayItem(&item));
            ASSERT_EQ(run({"xdotool", "mousemove", std::to_string(item.x()), std::to_string(item.y()),
                           "click", "1"}),
                      0);
            EXPECT_TRUE(openAtRest(nullptr, &tray)) << "the tray did not stay open";
            EXPECT_TRUE(expandedAround(top(), centre));
        }
        endSession();
    }
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
