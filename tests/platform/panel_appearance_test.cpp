// Which panel the tray icon sits on, from what the desktop says: each source (GNOME's colour
// scheme, KDE's kdeglobals in a temporary home, an X11 tray's foreground, what the tray shows
// behind the icon) and their order; and a tray of the test's own on an X server of its own
// that floods its colours.

#include "platform/linux/panel_appearance.h"
#include "platform/linux/x11_connection.h"

#include "child_process.h"
#include "fakes/fake_platform.h"
#include "qt_test_support.h"
#include "virtual_display.h"

#include <QTimer>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quorlix::platform {
namespace {

constexpr auto dark = PanelAppearance::dark;
constexpr auto light = PanelAppearance::light;
constexpr std::optional<PanelAppearance> none;

TEST(PanelAppearance, EachSourceSaysDarkLightOrNothing) {
    EXPECT_EQ(fromGnomeColorScheme("prefer-dark"), dark);
    EXPECT_EQ(fromGnomeColorScheme("prefer-light"), light);
    EXPECT_EQ(fromGnomeColorScheme("default"), none);

    // A light foreground sits on a dark panel; mid grey stands out more against black.
    EXPECT_EQ(fromTrayForeground(0xdfdf, 0xdbdb, 0xd2d2), dark);
    EXPECT_EQ(fromTrayForeground(0x7f7f, 0x7f7f, 0x7f7f), dark);
    EXPECT_EQ(fromTrayForeground(0x6060, 0x6060, 0x6060), light);
    EXPECT_EQ(fromTrayForeground(0x2e2e, 0x3434, 0x3636), light);

    const fakes::TempHome home;
    const auto file = home.path() / "kdeglobals";
    const std::pair<const char*, std::optional<PanelAppearance>> kdeglobals[] = {
        {"[Colors:Window]\nBackgroundNormal=49,54,59\n", dark},  // Breeze Dark
        {"[Colors:Window]\r\nBackgroundNormal=239,240,241\r\n", light},
        {"[General]\nColorScheme=BreezeDark\n", dark},
        {"[General]\nColorScheme=BreezeLight\n", light},
        {"[General]\nColorScheme=Oxygen\n", none},
        // The window's colour says more than the scheme's name; another group's says nothing.
        {"[Colors:Window]\nBackgroundNormal=239,240,241\n[General]\nColorScheme=BreezeDark\n", light},
        {"[Colors:View]\nBackgroundNormal=20,20,20\n", none},
        {"[Colors:Window]\nBackgroundNormal=300,0,0\n", none},
    };
    for (const auto& [text, said] : kdeglobals) {
        std::ofstream(file) << text;
        EXPECT_EQ(fromKdeGlobals(file), said) << text;
    }
    EXPECT_EQ(fromKdeGlobals(home.path() / "missing"), none);

    // Behind the icon: the tray's colour with the icon's bars over a fifth of it, of either
    // shade; nothing where most of it is see-through.
    const auto behind = [](std::uint32_t panel, std::uint32_t bars, std::size_t count = 100) {
        std::vector<std::uint32_t> pixels(count, panel);
        for (std::size_t i = 0; i < count / 5; ++i) pixels[i * 5] = bars;
        return pixels;
    };
    const std::pair<std::vector<std::uint32_t>, std::optional<PanelAppearance>> pixels[] = {
        {behind(0xffeeeeee, 0xffffffff), light},
        {behind(0xffeeeeee, 0xff000000), light},
        {behind(0xff202020, 0xffffffff), dark},
        {behind(0xff2e3436, 0xff000000), dark},
        {behind(0xffd8d8d8, 0x00000000), light},
        {behind(0x00000000, 0xffeeeeee), none},
        {{}, none},
    };
    for (const auto& [shown, said] : pixels)
        EXPECT_EQ(fromPixelsBehindIcon(shown), said) << std::hex << (shown.empty() ? 0 : shown[1]);
}

// In a Plasma session KDE's word decides, Breeze's light panel where its profile names no colours.
TEST(PanelAppearance, TheTrayComesFirstThenTheDesktopsThenWhatIsBehindTheIconElseThePanelIsDark) {
    const std::pair<PanelHints, PanelAppearance> cases[] = {
        {{none, none, none, false, none}, dark},   {{light, dark, dark, true, dark}, light},
        {{none, light, dark, false, dark}, light}, {{none, light, dark, true, light}, dark},
        {{none, none, light, false, dark}, light}, {{none, light, none, true, dark}, light},
        {{none, none, none, true, light}, light},  {{dark, none, none, false, light}, dark},
        {{none, dark, none, true, dark}, light},
    };
    for (const auto& [hints, panel] : cases)
        EXPECT_EQ(panelAppearance(hints), panel)
            << hints.tray.has_value() << hints.gnome.has_value() << hints.kde.has_value()
            << hints.plasmaSession << hints.behindIcon.has_value();
}

// A tray of the test's own: it owns the screen's tray selection and sets its icon colours.
class TestTray {
public:
    explicit TestTray(const std::string& display) : x_(X11Connection::open(display)) {
        window_ = xcb_generate_id(x_->get());
        xcb_create_window(x_->get(), XCB_COPY_FROM_PARENT, window_, x_->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(x_->get(), window_, x_->atom("_NET_SYSTEM_TRAY_S0"), XCB_CURRENT_TIME);
        roundTrip();
    }

    // Asks for a grey foreground, 16 bits a channel.
    void setForeground(std::uint16_t grey) {
        std::vector<std::uint32_t> colours(12, grey);
        xcb_change_property(x_->get(), XCB_PROP_MODE_REPLACE, window_, x_->atom("_NET_SYSTEM_TRAY_COLORS"),
                            XCB_ATOM_CARDINAL, 32, 12, colours.data());
    }
    // Once it returns, the server has carried out every request before it.
    void roundTrip() {
        std::free(xcb_get_input_focus_reply(x_->get(), xcb_get_input_focus(x_->get()), nullptr));
    }

private:
    std::unique_ptr<X11Connection> x_;
    xcb_window_t window_ = 0;
};

TEST(PanelAppearanceMonitor, AFloodOfTrayColoursIsToldOnceAndItsLastColourCounts) {
    if (!testing::installed("Xvfb")) GTEST_SKIP() << "Xvfb is missing";
    testing::qtApplication();
    const testing::Variable settingsBackend("GSETTINGS_BACKEND", "memory");
    testing::VirtualDisplay display;
    ASSERT_TRUE(display.ready());
    const fakes::TempHome home;
    TestTray tray(display.name());
    int told = 0;
    PanelAppearanceMonitor monitor([&] { ++told; }, display.name());
    tray.setForeground(0xf0f0);
    tray.roundTrip();
    ASSERT_TRUE(testing::waitUntil([&] { return told > 0; }, {&display}))
        << "the tray's colours went unheard";
    ASSERT_EQ(monitor.current(), dark);

    // A hundred changes in a row, pale and dark by turns, the last dark: a light panel. The
    // monitor's own request for the colours reads every change off the socket before the event
    // loop turns again.
    told = 0;
    for (int i = 0; i < 100; ++i) tray.setForeground(i % 2 ? 0x1010 : 0xf0f0);
    tray.roundTrip();
    EXPECT_EQ(monitor.current(), light);
    ASSERT_TRUE(testing::waitUntil([&] { return told > 0; }, {&display}));
    // A turn of the loop that comes after the flood's notice: nothing more was told.
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    ASSERT_TRUE(testing::waitUntil([&] { return turned; }, {&display}));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(monitor.current(), light);
}

// A fresh Plasma profile, with no kdeglobals or one that names no colours, has a light panel; a
// scheme saved as KDE saves it (a new file renamed over the old) is told and read at once.
TEST(PanelAppearanceMonitor, APlasmaProfileIsLightUntilItNamesColoursAndReadAgainAsKdeSavesIt) {
    testing::qtApplication();
    const testing::Variable settingsBackend("GSETTINGS_BACKEND", "memory");
    const testing::Variable plasma("XDG_CURRENT_DESKTOP", "KDE");
    const fakes::TempHome home;
    std::filesystem::create_directories(home.config());
    int told = 0;
    PanelAppearanceMonitor monitor([&] { ++told; });
    EXPECT_EQ(monitor.current(), light);
    const std::pair<const char*, PanelAppearance> saved[] = {
        {"[KDE]\nSingleClick=false\n", light},
        {"[General]\nColorScheme=BreezeDark\n[Colors:Window]\nBackgroundNormal=32,35,38\n", dark},
        {"[KDE]\nSingleClick=false\n", light},
    };
    const auto file = home.config() / "kdeglobals";
    for (const auto& [text, panel] : saved) {
        told = 0;
        std::ofstream(file.string() + ".new") << text;
        std::filesystem::rename(file.string() + ".new", file);
        EXPECT_TRUE(testing::waitUntil([&] { return told > 0; })) << "unheard: " << text;
        EXPECT_EQ(monitor.current(), panel) << text;
    }
}

}  // namespace
}  // namespace quorlix::platform
