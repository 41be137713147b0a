#include "services/hud_center.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"

#include <gtest/gtest.h>

namespace quorlix {
namespace {

HUDContent anAlert(std::string text = "¡Listo!") {
    return HUDContent::alert(
        {"checkmark.circle.fill", std::move(text), IslandAlert::Tint::orange, std::nullopt, false, false});
}

HUDContent budsDevice(std::string name = "AirPods Pro de Tavio") {
    BatteryLevels levels;
    levels.left = 92;
    levels.right = 88;
    levels.caseLevel = 54;
    return HUDContent::device({std::move(name), AudioDeviceInfo::Kind::airpodsPro, levels});
}

HUDContent mainOnlyDevice() {
    BatteryLevels levels;
    levels.main = 82;
    return HUDContent::device({"AirPods Max", AudioDeviceInfo::Kind::airpodsMax, levels});
}

class HUDCenterTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    HUDCenter hud;

    void advance(double seconds) { fake.time.advance(seconds); }
    bool showing(const HUDContent& content) const { return hud.current.get() == content; }
};

TEST_F(HUDCenterTest, AlertProtectsAgainstVolumeOutputAndBrightnessForItsDuration) {
    const auto alert = anAlert();
    hud.show(alert, 5);
    advance(1);
    hud.show(HUDContent::volume(0.5f, false), 1.6);
    hud.show(HUDContent::output({7, "Bocinas", AudioOutput::builtIn}), 2.4);
    hud.show(HUDContent::brightness(0.3f), 1.6);
    EXPECT_TRUE(showing(alert));

    // The dropped HUDs did not restart the alert's hide clock.
    advance(4);
    EXPECT_FALSE(hud.current->has_value());

    advance(1);  // 6 s after the alert
    hud.show(HUDContent::volume(0.6f, false), 1.6);
    EXPECT_TRUE(showing(HUDContent::volume(0.6f, false)));
}

TEST_F(HUDCenterTest, BatteryHUDProtectsLikeAnAlert) {
    const auto battery = HUDContent::battery({57, true, true});
    hud.show(battery, 4);
    advance(3.9);
    hud.show(HUDContent::volume(0.2f, true), 1.6);
    EXPECT_TRUE(showing(battery));
    advance(0.1);
    hud.show(HUDContent::volume(0.2f, true), 1.6);
    EXPECT_TRUE(showing(HUDContent::volume(0.2f, true)));
}

TEST_F(HUDCenterTest, AlertsBatteryAndDevicesAlwaysReplaceWhatIsShown) {
    hud.show(anAlert("uno"), 5);
    advance(1);
    hud.show(anAlert("dos"), 5);
    EXPECT_TRUE(showing(anAlert("dos")));
    hud.show(budsDevice(), 4.5);
    EXPECT_TRUE(showing(budsDevice()));
    // Protection is about what is shown: a device HUD may be displaced even though the
    // alert's protection has not run out.
    hud.show(HUDContent::brightness(0.4f), 1.6);
    EXPECT_TRUE(showing(HUDContent::brightness(0.4f)));
}

TEST_F(HUDCenterTest, AcceptedHUDRestartsTheHideClockAndASupersededHideNeverClears) {
    hud.show(HUDContent::volume(0.3f, false), 1.6);
    advance(1);
    hud.show(HUDContent::volume(0.4f, false), 1.6);
    advance(0.6);  // the first hide would have fired here
    EXPECT_TRUE(showing(HUDContent::volume(0.4f, false)));
    advance(0.99);
    EXPECT_TRUE(hud.current->has_value());
    advance(0.01);
    EXPECT_FALSE(hud.current->has_value());

    // A short alert followed by a longer one: only the newer hide counts.
    hud.show(anAlert("corto"), 2);
    advance(1);
    hud.show(anAlert("largo"), 5);
    advance(1.5);
    EXPECT_TRUE(showing(anAlert("largo")));
    advance(3.5);
    EXPECT_FALSE(hud.current->has_value());
}

TEST_F(HUDCenterTest, DeviceDetailTimeline) {
    hud.show(budsDevice(), 4.5);
    EXPECT_FALSE(hud.deviceDetail.get());
    advance(0.69);
    EXPECT_FALSE(hud.deviceDetail.get());
    advance(0.01);  // 0.7 s
    EXPECT_TRUE(hud.deviceDetail.get());
    advance(2.89);
    EXPECT_TRUE(hud.deviceDetail.get());
    advance(0.01);  // 2.9 s later
    EXPECT_FALSE(hud.deviceDetail.get());
    EXPECT_TRUE(showing(budsDevice()));
    advance(0.89);
    EXPECT_TRUE(hud.current->has_value());
    advance(0.01);  // 4.5 s
    EXPECT_FALSE(hud.current->has_value());
}

TEST_F(HUDCenterTest, SameDeviceAgainShowsTheDetailWithoutTheWait) {
    hud.show(budsDevice(), 4.5);
    advance(0.3);
    hud.show(budsDevice(), 4.5);
    fake.time.runPending();
    EXPECT_TRUE(hud.deviceDetail.get());
    // The detail phase runs from the repeat: off 2.9 s later.
    advance(2.89);
    EXPECT_TRUE(hud.deviceDetail.get());
    advance(0.01);
    EXPECT_FALSE(hud.deviceDetail.get());

    // Another device's name waits again.
    hud.show(budsDevice("Beats Solo"), 4.5);
    fake.time.runPending();
    EXPECT_FALSE(hud.deviceDetail.get());
    advance(0.7);
    EXPECT_TRUE(hud.deviceDetail.get());
}

TEST_F(HUDCenterTest, DetailNeedsBudOrCaseLevelsAndTheSetting) {
    hud.show(mainOnlyDevice(), 4.5);
    advance(4);
    EXPECT_FALSE(hud.deviceDetail.get());

    AppSettings::shared().deviceBatteryDetail = false;
    hud.show(budsDevice(), 4.5);
    advance(4);
    EXPECT_FALSE(hud.deviceDetail.get());
}

TEST_F(HUDCenterTest, NewHUDCancelsThePendingDetail) {
    hud.show(budsDevice(), 4.5);
    advance(1);
    ASSERT_TRUE(hud.deviceDetail.get());
    hud.show(anAlert(), 5);
    EXPECT_FALSE(hud.deviceDetail.get());
    advance(5);
    EXPECT_FALSE(hud.deviceDetail.get());

    // Cancelled before it grows, too.
    hud.show(budsDevice(), 4.5);
    advance(0.5);
    hud.show(anAlert(), 5);
    advance(1);
    EXPECT_FALSE(hud.deviceDetail.get());
}

TEST_F(HUDCenterTest, ShortDeviceHUDOutlivedByItsDetailIsClearedByTheHide) {
    hud.show(budsDevice(), 2);
    advance(0.7);
    EXPECT_TRUE(hud.deviceDetail.get());
    advance(1.3);  // 2 s: the detail would stay until 2.2 s
    EXPECT_FALSE(hud.current->has_value());
    EXPECT_FALSE(hud.deviceDetail.get());
    advance(1);
    EXPECT_FALSE(hud.deviceDetail.get());
}

TEST_F(HUDCenterTest, NegativeDurationShowsForNoTime) {
    hud.show(HUDContent::battery({40, false, false}), -3);
    EXPECT_TRUE(hud.current->has_value());
    fake.time.runPending();
    EXPECT_FALSE(hud.current->has_value());
    // Nor does it leave a protection behind.
    hud.show(HUDContent::volume(0.5f, false), 1);
    EXPECT_TRUE(showing(HUDContent::volume(0.5f, false)));
}

TEST_F(HUDCenterTest, PendingWorkDiesWithTheCentre) {
    {
        HUDCenter shortLived;
        shortLived.show(budsDevice(), 4.5);
    }
    EXPECT_LT(fake.time.queue.nextDueIn(), 0) << "the hide and detail steps are cancelled";
    advance(10);
}

}  // namespace
}  // namespace quorlix
