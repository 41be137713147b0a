// Which panel the tray icon sits on, from what the desktop says: each source (GNOME's colour
// scheme, KDE's kdeglobals in a temporary home, an X11 tray's foreground) and their order.

#include "platform/linux/panel_appearance.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

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
}

TEST(PanelAppearance, TheTrayComesFirstThenTheSessionsDesktopThenTheOtherElseThePanelIsDark) {
    const std::pair<PanelHints, PanelAppearance> cases[] = {
        {{none, none, none, false}, dark},   {{light, dark, dark, true}, light},
        {{none, light, dark, false}, light}, {{none, light, dark, true}, dark},
        {{none, none, light, false}, light}, {{none, light, none, true}, light},
    };
    for (const auto& [hints, panel] : cases)
        EXPECT_EQ(panelAppearance(hints), panel) << hints.tray.has_value() << hints.gnome.has_value()
                                                 << hints.kde.has_value() << hints.plasmaSession;
}

}  // namespace
}  // namespace quorlix::platform
