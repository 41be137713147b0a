#include "platform/linux/sysfs_power_sources.h"

#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "services/battery_service.h"

#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace quorlix::platform {
namespace {

using Snapshot = BatteryService::Snapshot;

class SysfsPowerSourcesTest : public ::testing::Test {
protected:
    fakes::TempHome home;
    std::filesystem::path root = home.path() / "power_supply";

    void supply(const std::string& name, const std::map<std::string, std::string>& attributes) {
        for (const auto& [attribute, value] : attributes)
            ASSERT_FALSE(writeFileAtomically(root / name / attribute, value + "\n"));
    }
    std::optional<Snapshot> read() { return BatteryService::read(SysfsPowerSources(root).sources()); }
};

TEST_F(SysfsPowerSourcesTest, MachineBatteryWithTheChargerFromTheMainsSupply) {
    supply("AC", {{"type", "Mains"}, {"online", "1"}});
    supply("BAT0", {{"type", "Battery"}, {"capacity", "57"}, {"status", "Charging"}});
    EXPECT_EQ(read(), (Snapshot{57, true, true}));

    supply("AC", {{"type", "Mains"}, {"online", "0"}});
    supply("BAT0", {{"type", "Battery"}, {"capacity", "56"}, {"status", "Discharging"}});
    EXPECT_EQ(read(), (Snapshot{56, false, false}));

    // Held below full on the charger: plugged in, not charging.
    supply("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
    supply("BAT0", {{"type", "Battery"}, {"capacity", "80"}, {"status", "Not charging"}});
    EXPECT_EQ(read(), (Snapshot{80, false, true}));
}

TEST_F(SysfsPowerSourcesTest, PeripheralBatteriesAndEmptySlotsAreNotTheMachines) {
    supply("hidpp_battery_0",
           {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "10"}, {"status", "Discharging"}});
    supply("ps-controller-battery", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "20"}});
    EXPECT_EQ(read(), std::nullopt);

    supply("BAT0", {{"type", "Battery"}, {"present", "0"}});
    supply(
        "BAT1",
        {{"type", "Battery"}, {"energy_now", "24000000"}, {"energy_full", "48000000"}, {"status", "Full"}});
    EXPECT_EQ(read(), (Snapshot{50, false, true})) << "no charger in the tree: a full battery is on one";

    EXPECT_TRUE(SysfsPowerSources(home.path() / "missing").sources().empty());
}

TEST_F(SysfsPowerSourcesTest, TwoBatteriesCountAsOneByTheEnergyTheyHold) {
    // 30 of 50 Wh and 10 of 40 Wh: 40 of 90 Wh; the second one charging.
    supply("BAT0", {{"type", "Battery"},
                    {"capacity", "60"},
                    {"energy_now", "30000000"},
                    {"energy_full", "50000000"},
                    {"status", "Discharging"}});
    supply("BAT1", {{"type", "Battery"},
                    {"capacity", "25"},
                    {"energy_now", "10000000"},
                    {"energy_full", "40000000"},
                    {"status", "Charging"}});
    EXPECT_EQ(SysfsPowerSources(root).sources().size(), 1u);
    EXPECT_EQ(read(), (Snapshot{44, true, true}));

    // A charge counter counts by the battery's voltage: 2 of 4 Ah at 11.1 V is 22.2 of 44.4 Wh.
    std::filesystem::remove_all(root);
    supply("BAT0", {{"type", "Battery"},
                    {"charge_now", "2000000"},
                    {"charge_full", "4000000"},
                    {"voltage_min_design", "11100000"},
                    {"status", "Discharging"}});
    supply("BAT1", {{"type", "Battery"},
                    {"energy_now", "33300000"},
                    {"energy_full", "44400000"},
                    {"status", "Discharging"}});
    EXPECT_EQ(read(), (Snapshot{63, false, false}));

    // A battery that tells no energy: the two are averaged by their per cent.
    std::filesystem::remove_all(root / "BAT0");
    supply("BAT0", {{"type", "Battery"}, {"capacity", "80"}, {"status", "Discharging"}});
    EXPECT_EQ(read(), (Snapshot{78, false, false}));  // 80 % and 75 %
}

TEST_F(SysfsPowerSourcesTest, ReadsAgainEveryMinute) {
    testing::qtApplication();  // for the udev notices on the event loop
    fakes::FakePlatform fake;
    SysfsPowerSources sources(root);
    int notices = 0;
    {
        const Subscription s = sources.observeChanges([&] { ++notices; });
        fake.time.advance(59);
        EXPECT_EQ(notices, 0);
        fake.time.advance(1);
        EXPECT_EQ(notices, 1);
        fake.time.advance(120);
        EXPECT_EQ(notices, 3);
    }
    fake.time.advance(60);
    EXPECT_EQ(notices, 3) << "no notice after the subscription ends";

    // A sleep counts: the machine reads its batteries again as it wakes.
    const Subscription again = sources.observeChanges([&] { ++notices; });
    fake.time.advance(30);
    fake.time.suspend(3600);
    EXPECT_EQ(notices, 4);
}

}  // namespace
}  // namespace quorlix::platform
