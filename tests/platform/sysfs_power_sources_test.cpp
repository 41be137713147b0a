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
