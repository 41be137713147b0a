#include "services/battery_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlix {
namespace {

using Snapshot = BatteryService::Snapshot;
using fakes::FakePowerSources;
using platform::PowerSourceDescription;

std::optional<Snapshot> readOne(PowerSourceDescription description) {
    return BatteryService::read({description});
}

TEST(BatteryServiceReadTest, LevelRoundsHalvesAwayFromZeroAndIsClamped) {
    struct Case {
        std::int64_t current, max, level;
    } cases[] = {
        {2, 3, 67},      {1, 8, 13},   {57, 100, 57}, {4100, 5000, 82},
        {55, 0, 55},  // no maximum: the current value is the level
        {130, 100, 100}, {-5, 100, 0}, {250, 0, 100}, {-3, -1, 0},  // never outside 0...100
    };
    for (const Case& c : cases) {
        auto d = FakePowerSources::battery(c.current, c.max, false, false);
        EXPECT_EQ(readOne(d)->level, c.level) << c.current << " of " << c.max;
    }
}

TEST(BatteryServiceReadTest, MissingOrMistypedKeysFallBackToDefaults) {
    PowerSourceDescription d = {{"Type", std::string("InternalBattery")},
                                {"Current Capacity", std::int64_t{42}}};
    EXPECT_EQ(readOne(d), (Snapshot{42, false, false})) << "no maximum counts as 100";

    d = {{"Type", std::string("InternalBattery")},
         {"Current Capacity", std::string("80")},
         {"Max Capacity", 100.0},
         {"Is Charging", std::int64_t{1}},
         {"Power Source State", true}};
    EXPECT_EQ(readOne(d), (Snapshot{0, false, false}));

    for (const char* state : {"Battery Power", "ac power", ""}) {
        d = FakePowerSources::battery(50, 100, false, false);
        d["Power Source State"] = std::string(state);
        EXPECT_FALSE(readOne(d)->pluggedIn) << state;
    }
}

TEST(BatteryServiceReadTest, OnlyTheFirstInternalBatteryCounts) {
    PowerSourceDescription ups = FakePowerSources::battery(10, 100, false, true);
    ups["Type"] = std::string("UPS");
    PowerSourceDescription untyped = FakePowerSources::battery(20, 100, false, true);
    untyped.erase("Type");
    const std::vector<PowerSourceDescription> sources = {ups, untyped,
                                                         FakePowerSources::battery(30, 100, false, true),
                                                         FakePowerSources::battery(90, 100, true, false)};
    EXPECT_EQ(BatteryService::read(sources), (Snapshot{30, false, true}))
        << "plugged in need not be charging";

    EXPECT_EQ(BatteryService::read({}), std::nullopt);
    EXPECT_EQ(BatteryService::read({ups, untyped}), std::nullopt);
}

class BatteryServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    FakePowerSources& sources = fake.powerSources;
    BatteryService battery;
    std::vector<std::string> calls;
    int publications = 0;
    Subscription published =
        battery.snapshot.sink([this](const std::optional<Snapshot>&) { ++publications; });

    void SetUp() override {
        battery.onLevelChange = [this](const Snapshot& s) { calls.push_back("level " + describe(s)); };
        battery.onPowerChange = [this](const Snapshot& s) { calls.push_back("power " + describe(s)); };
    }
    static std::string describe(const Snapshot& s) {
        return std::to_string(s.level) + (s.charging ? " charging" : "") + (s.pluggedIn ? " plugged" : "");
    }
    void set(std::int64_t level, bool charging, bool plugged) {
        sources.list = {FakePowerSources::battery(level, 100, charging, plugged)};
    }
    void change(std::int64_t level, bool charging, bool plugged) {
        set(level, charging, plugged);
        sources.notify();
    }
};

TEST_F(BatteryServiceTest, FirstReadingIsSilentThenPluggingInCallsLevelThenPower) {
    set(57, false, false);
    battery.start();
    EXPECT_EQ(battery.snapshot.get(), (Snapshot{57, false, false}));
    EXPECT_TRUE(calls.empty());

    change(57, true, true);
    EXPECT_EQ(calls, (std::vector<std::string>{"level 57 charging plugged", "power 57 charging plugged"}));
    calls.clear();
    change(56, false, false);
    EXPECT_EQ(calls, (std::vector<std::string>{"level 56", "power 56"}));
    calls.clear();
    change(55, false, false);
    EXPECT_EQ(calls, (std::vector<std::string>{"level 55"}));
}

TEST_F(BatteryServiceTest, ChargingAloneIsPublishedWithoutCallbacks) {
    set(95, true, true);
    battery.start();
    const int before = publications;
    change(95, false, true);
    sources.notify();  // an identical reading is published again too
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(publications, before + 2);
    EXPECT_EQ(battery.snapshot.get(), (Snapshot{95, false, true}));
}

TEST_F(BatteryServiceTest, FailedReadKeepsTheSnapshotAndFiresNothing) {
    set(64, false, true);
    battery.start();
    const int before = publications;
    sources.list.clear();
    sources.notify();
    EXPECT_EQ(battery.snapshot.get(), (Snapshot{64, false, true}));
    EXPECT_EQ(publications, before);
    EXPECT_TRUE(calls.empty());
}

TEST_F(BatteryServiceTest, FirstReadingAfterNoneCallsOnlyLevel) {
    battery.start();
    EXPECT_EQ(battery.snapshot.get(), std::nullopt);
    change(40, false, true);
    EXPECT_EQ(calls, (std::vector<std::string>{"level 40 plugged"}));
}

}  // namespace
}  // namespace quorlix
