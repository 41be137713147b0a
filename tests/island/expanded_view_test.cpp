// The expanded island as its panel draws it: the two layouts and their paddings, the header,
// a page whose feature is off, the buttons and the context menu.

#include "foundation/app_actions.h"
#include "foundation/app_settings.h"
#include "island/island_root_view.h"
#include "island_view_test_support.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/weather_service.h"

#include <algorithm>

namespace quorlix {
namespace {

using namespace ui;
using fakes::FakeScreens;

// A laptop whose camera housing is 330 points wide.
platform::Screen wideNotch() {
    platform::Screen s = FakeScreens::notchedLaptop();
    s.auxiliaryTopLeftArea = Rect(0, 950, 591, 32);
    s.auxiliaryTopRightArea = Rect(921, 950, 591, 32);
    return s;
}

class ExpandedViewTest : public testing::IslandViewTest {
protected:
    LyricsService lyrics{&fake.httpClient};
    TrayStore tray;
    WeatherService weather;
    HUDCenter hud;
    TimerService timer;
    AgentService agents;
    CalendarService calendar;
    IslandState state;
    AppSettings& settings = AppSettings::shared();
    Size notch;
    double width = 0;

    ~ExpandedViewTest() override { AppActions::reset(); }

    // The island open in its 920 by 340 panel.
    void showIsland(double islandWidth, double bodyHeight = 140,
                    platform::Screen screen = FakeScreens::notchedLaptop()) {
        settings.islandWidth = width = islandWidth;
        settings.islandHeight = bodyHeight;
        state.expanded = true;
        const NotchGeometry geometry(screen, false);
        notch = geometry.notchSize;
        show(
            [this, geometry] {
                return islandTree(
                    state, geometry,
                    {settings, nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar});
            },
            {920, 340});
        advance(1);
    }
    // The island's content area in the panel.
    Rect island() const { return {460 - width / 2, 0, width, 32 + settings.islandHeight.get()}; }
    // The space offered to the page that shows `text`: inside the page's padding.
    Rect pageFrame(std::string_view text) {
        const auto path = shown().pathTo(shown().findText(text));
        for (std::size_t i = path.size() - 1; i > 0; --i)
            if (std::string_view(path[i - 1]->role) == "padding") return path[i]->frame;
        ADD_FAILURE() << "no page around " << text;
        return {};
    }
    Point centre(const DisplayItem* item) { return {item->frame.midX(), item->frame.midY()}; }
    // The tab button's highlight capsule, if any.
    const DisplayItem* highlight() {
        return find([](auto& i) { return i.fill && i.fill->color == Color::white.opacity(0.16); });
    }
};

TEST_F(ExpandedViewTest, TheWidthPicksTheLayoutAndTheTabItsPaddings) {
    struct Case {
        double width, bodyHeight;
        IslandTab tab;
        const char* page;
        bool header;
        EdgeInsets padding;
    };
    const double notchBelow = 32 + 2;
    for (const Case& c : {
             Case{559.9, 140, IslandTab::music, "Nada sonando", false, {19, 18, 16, 18}},
             Case{559.9, 140, IslandTab::timer, "Temporizador", false, {notchBelow, 20, 16, 20}},
             Case{559.9, 140, IslandTab::weather, "Cargando el clima…", false, {notchBelow, 20, 16, 20}},
             Case{560, 149, IslandTab::music, "Nada sonando", true, {32 + 8, 22, 12, 22}},
             Case{560, 150, IslandTab::tray, "Arrastra archivos aquí", true, {32 + 8, 22, 20, 22}},
         }) {
        SCOPED_TRACE(std::string(c.page) + " at " + std::to_string(c.width) + " by " +
                     std::to_string(c.bodyHeight));
        state.tab = c.tab;
        showIsland(c.width, c.bodyHeight);
        EXPECT_EQ(shown().findSymbol("gearshape.fill") != nullptr, c.header);
        EXPECT_EQ(shown().findSymbol("timer") != nullptr, c.header || c.tab == IslandTab::timer);
        const Rect page = pageFrame(c.page), all = island();
        EXPECT_NEAR(page.minY() - all.minY(), c.padding.top, 1e-9);
        EXPECT_NEAR(page.minX() - all.minX(), c.padding.leading, 1e-9);
        EXPECT_NEAR(all.maxY() - page.maxY(), c.padding.bottom, 1e-9);
        EXPECT_NEAR(all.maxX() - page.maxX(), c.padding.trailing, 1e-9);
    }
}

TEST_F(ExpandedViewTest, TheHeaderKeepsTheNotchFreeAndShowsTheVisibleTabsAndTheBadgeWithTheWeather) {
    settings.calendarEnabled = false;
    showIsland(560, 140, wideNotch());
    std::vector<std::pair<double, std::string>> tabs;
    for (const char* symbol : {"music.note", "cloud.sun.fill", "tray.full.fill", "calendar", "timer"})
        if (const auto* item = shown().findSymbol(symbol)) tabs.emplace_back(item->frame.minX(), symbol);
    EXPECT_TRUE(std::is_sorted(tabs.begin(), tabs.end()));
    EXPECT_EQ(tabs.size(), 4u);
    EXPECT_EQ(shown().findSymbol("calendar"), nullptr);
    const auto path = shown().pathTo(shown().findSymbol("timer"));
    const auto button =
        std::find_if(path.rbegin(), path.rend(), [](auto* i) { return i->frame.width() == 30; });
    ASSERT_NE(button, path.rend());
    const double tabsEnd = (*button)->frame.maxX();
    EXPECT_GE(shown().findSymbol("gearshape.fill")->frame.minX() - tabsEnd, notch.width + 24 - 1e-9);

    // The badge sits right of the notch, before the gear, once the temperature is known.
    EXPECT_EQ(shown().findText("22°"), nullptr);
    weather.temperature = 21.5;
    advance(0);
    const auto* badge = shown().findText("22°");
    ASSERT_NE(badge, nullptr);
    EXPECT_GE(badge->frame.minX(), tabsEnd + notch.width + 24 - 1e-9);
    EXPECT_LT(badge->frame.maxX(), shown().findSymbol("gearshape.fill")->frame.minX());

    // The badge is built only while the weather is on.
    const auto observes = [&](ObservableObject& o) {
        const auto& all = host->graph().observedObjects();
        return std::find(all.begin(), all.end(), &o) != all.end();
    };
    EXPECT_TRUE(observes(weather));
    settings.weatherEnabled = false;
    advance(0);
    EXPECT_FALSE(observes(weather));
    EXPECT_EQ(shown().findSymbol("cloud.sun.fill"), nullptr);
}

TEST_F(ExpandedViewTest, ASelectedPageWhoseFeatureIsOffIsDrawnAsTheFirstPage) {
    state.tab = IslandTab::weather;
    settings.weatherEnabled = false;
    showIsland(600);
    EXPECT_NE(shown().findText("Nada sonando"), nullptr);
    EXPECT_EQ(shown().findText("Cargando el clima…"), nullptr);
    ASSERT_NE(highlight(), nullptr);
    EXPECT_TRUE(highlight()->frame.contains(centre(shown().findSymbol("music.note"))));

    showIsland(343);
    const Rect page = pageFrame("Nada sonando");
    EXPECT_EQ(page.minY(), 19);
    EXPECT_EQ(page.minX() - island().minX(), 18);
}

TEST_F(ExpandedViewTest, TabsGearAndContextMenuDoWhatTheySay) {
    std::vector<SettingsSection> opened;
    AppActions::openSettingsSection = [&](SettingsSection s) { opened.push_back(s); };
    std::vector<std::shared_ptr<const Animation>> turns;
    const Subscription watch =
        state.tab.sink([&](IslandTab) { turns.push_back(Transaction::current().animation); });
    showIsland(600);
    auto& events = host->events();

    const Point weatherTab = centre(shown().findSymbol("cloud.sun.fill"));
    EXPECT_EQ(events.helpAt(weatherTab), "Clima");
    events.pointerPressed(weatherTab);
    events.pointerReleased(weatherTab);
    advance(0.5);
    EXPECT_EQ(state.tab.get(), IslandTab::weather);
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_TRUE(turns[0] && *turns[0] == Animation::easeOut(0.2));
    EXPECT_NE(highlight(), nullptr);
    EXPECT_TRUE(highlight()->frame.contains(weatherTab));

    const Point gear = centre(shown().findSymbol("gearshape.fill"));
    EXPECT_EQ(events.helpAt(gear), "Ajustes");
    events.pointerPressed(gear);
    events.pointerReleased(gear);

    // A secondary click on a bare part of the island, below the page.
    std::vector<MenuItem> menu;
    events.showMenu = [&](const std::vector<MenuItem>& items, Point) { menu = items; };
    events.pointerPressed({island().midX(), island().maxY() - 6}, EventRouter::Button::secondary);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].title, "Ajustes…");
    EXPECT_EQ(menu[1].kind, MenuItem::Kind::divider);
    EXPECT_EQ(menu[2].title, "Salir de Quorlix");
    menu[0].action();
    EXPECT_EQ(opened, (std::vector<SettingsSection>{SettingsSection::general, SettingsSection::general}));
    EXPECT_TRUE(fake.statusBar.performed.empty());
    menu[2].action();
    EXPECT_EQ(fake.statusBar.performed,
              std::vector<platform::StandardAction>{platform::StandardAction::terminate});
}

}  // namespace
}  // namespace quorlix
