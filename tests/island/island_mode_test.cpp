#include "island/island_mode.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "island/island_layout.h"
#include "island/island_state.h"
#include "services/agent_service.h"
#include "services/hud_center.h"
#include "services/timer_service.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace island_mode_test {

IslandAlert alertWith(bool wide, bool compact) {
    return {"moon.fill", "Sí", IslandAlert::Tint::focus, std::nullopt, wide, compact};
}

AudioDeviceInfo device(BatteryLevels levels) { return {"AirPods", AudioDeviceInfo::Kind::airpods, levels}; }

class IslandModeTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    IslandState state;
    HUDCenter hud;
    AgentService agents;
    TimerService timer;
    bool liveVisible = false;

    IslandMode mode() { return islandMode(state, {hud, agents, timer, liveVisible}); }
    IslandMode collapsed() { return collapsedIslandMode({hud, agents, timer, liveVisible}); }
};

TEST_F(IslandModeTest, PriorityOrder) {
    EXPECT_EQ(mode(), IslandMode::idle);
    liveVisible = true;
    EXPECT_EQ(mode(), IslandMode::live);
    timer.start(25);
    EXPECT_EQ(mode(), IslandMode::timer);
    agents.handle("quorlix://agent?agent=claude&event=working");
    EXPECT_EQ(mode(), IslandMode::agent);
    hud.show(HUDContent::volume(0.5f, false), 1.6);
    EXPECT_EQ(mode(), IslandMode::volume);
    state.expanded = true;
    EXPECT_EQ(mode(), IslandMode::expanded);
    EXPECT_EQ(collapsed(), IslandMode::volume) << "the collapsed mode skips the expanded step";

    state.expanded = false;
    fake.time.advance(2);  // the HUD ends
    EXPECT_EQ(mode(), IslandMode::agent);
    agents.handle("quorlix://agent?agent=claude&event=done");
    fake.time.advance(6);  // and the done alert
    EXPECT_EQ(mode(), IslandMode::timer);
    timer.pause();
    EXPECT_EQ(mode(), IslandMode::timer) << "a paused timer still shows";
    timer.cancel();
    EXPECT_EQ(mode(), IslandMode::live);
}

TEST_F(IslandModeTest, SettingsGateAgentAndLiveActivities) {
    agents.handle("quorlix://agent?agent=codex&event=working");
    timer.start(5);
    AppSettings::shared().agentAlerts = false;
    EXPECT_EQ(mode(), IslandMode::timer);

    timer.cancel();
    liveVisible = true;
    AppSettings::shared().mediaEnabled = false;
    EXPECT_EQ(mode(), IslandMode::idle);
    AppSettings::shared().mediaEnabled = true;
    AppSettings::shared().liveActivity = false;
    EXPECT_EQ(mode(), IslandMode::idle);
    AppSettings::shared().liveActivity = true;
    EXPECT_EQ(mode(), IslandMode::live);
}

TEST_F(IslandModeTest, HUDCases) {
    struct Row {
        HUDContent content;
        IslandMode expected;
    };
    BatteryLevels buds;
    buds.left = 90;
    const std::vector<Row> rows{
        {HUDContent::alert(alertWith(false, false)), IslandMode::alert},
        {HUDContent::alert(alertWith(true, false)), IslandMode::alertWide},
        {HUDContent::alert(alertWith(false, true)), IslandMode::alertCompact},
        {HUDContent::alert(alertWith(true, true)), IslandMode::alertCompact},
        {HUDContent::volume(0.1f, true), IslandMode::volume},
        {HUDContent::brightness(0.1f), IslandMode::brightness},
        {HUDContent::battery({50, false, false}), IslandMode::battery},
        {HUDContent::device(device(buds)), IslandMode::device},
        {HUDContent::output({3, "HDMI", AudioOutput::hdmi}), IslandMode::output},
    };
    for (const auto& row : rows) {
        hud.current = row.content;
        EXPECT_EQ(mode(), row.expected) << static_cast<int>(row.expected);
    }
}

TEST_F(IslandModeTest, DeviceDetailModeAndItsSize) {
    BatteryLevels buds;
    buds.left = 90;
    buds.right = 80;
    hud.show(HUDContent::device(device(buds)), 4.5);
    fake.time.advance(0.7);
    ASSERT_TRUE(hud.deviceDetail.get());
    EXPECT_EQ(mode(), IslandMode::deviceDetail);
    EXPECT_EQ(IslandLayout::size(mode(), Size{185, 32}, false), (Size{185 + 157, 32 + 84}));
}

TEST_F(IslandModeTest, EveryEvaluationRefreshesTheLayoutFlags) {
    BatteryLevels mainOnly;
    mainOnly.main = 82;
    hud.show(HUDContent::device(device(mainOnly)), 4.5);
    mode();
    EXPECT_TRUE(IslandLayout::wideDevice);

    BatteryLevels withBud = mainOnly;
    withBud.right = 70;
    hud.show(HUDContent::device(device(withBud)), 4.5);
    collapsed();
    EXPECT_FALSE(IslandLayout::wideDevice);

    hud.show(HUDContent::device(device(mainOnly)), 4.5);
    mode();
    fake.time.advance(5);
    mode();
    EXPECT_FALSE(IslandLayout::wideDevice) << "no HUD, no wide device";

    agents.handle("quorlix://agent?agent=claude&event=working");
    mode();
    EXPECT_FALSE(IslandLayout::wideAgent);
    agents.handle("quorlix://agent?agent=cursor&event=working");
    state.expanded = true;
    mode();
    EXPECT_TRUE(IslandLayout::wideAgent) << "refreshed even when the island is expanded";
    agents.handle("quorlix://agent?agent=cursor&event=idle");
    mode();
    EXPECT_FALSE(IslandLayout::wideAgent);
}

}  // namespace island_mode_test
}  // namespace
}  // namespace quorlix
