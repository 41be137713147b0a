#include "island/island_state.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

TEST(IslandTabTest, RawValuesTitlesAndSymbols) {
    EXPECT_EQ(fromRawValue<IslandTab>("calendar"), IslandTab::calendar);
    EXPECT_EQ(fromRawValue<IslandTab>("Music"), std::nullopt);
    EXPECT_EQ(fromRawValue<IslandTab>("música"), std::nullopt);
    EXPECT_EQ(title(IslandTab::timer), "Temporizador");
    EXPECT_EQ(symbol(IslandTab::tray), "tray.full.fill");
    EXPECT_EQ(symbol(IslandTab::weather), "cloud.sun.fill");
}

TEST(IslandTabTest, VisibleTabsFollowTheirFeatures) {
    fakes::FakePlatform fake;
    auto& settings = AppSettings::shared();
    using T = IslandTab;
    EXPECT_EQ(visibleTabs(), (std::vector<T>{T::music, T::weather, T::tray, T::calendar, T::timer}));
    settings.weatherEnabled = false;
    settings.calendarEnabled = false;
    EXPECT_EQ(visibleTabs(), (std::vector<T>{T::music, T::tray, T::timer}));
    settings.trayEnabled = false;
    EXPECT_EQ(visibleTabs(), (std::vector<T>{T::music, T::timer}));
}

}  // namespace
}  // namespace quorlix
