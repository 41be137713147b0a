#include "foundation/app_settings.h"
#include "fakes/fake_platform.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"
#include "platform/paths.h"
#include "platform/user_defaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorlix {
namespace {

using platform::UserDefaults;

class AppSettingsTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;

    // Writes a defaults file for the app's domain as another process (or an older version) would.
    void storeRaw(const UserDefaults::Value& values) {
        ASSERT_FALSE(platform::writeFileAtomically(
            platform::Paths::defaultsFile(UserDefaults::applicationDomain), values.dump()));
    }
    UserDefaults::Value onDisk() {
        UserDefaults::standard().flush();
        return UserDefaults::persistentDomain(UserDefaults::applicationDomain)
            .value_or(UserDefaults::Value::object());
    }
};

TEST_F(AppSettingsTest, AFreshDomainGivesEveryDefaultAndWritesNothing) {
    AppSettings& s = AppSettings::shared();
    EXPECT_FALSE(s.showOnAllScreens.get());
    EXPECT_TRUE(s.hideInFullscreen.get());
    EXPECT_EQ(s.openMode.get(), IslandOpenMode::hover);
    EXPECT_EQ(s.islandWidth.get(), 343);
    EXPECT_EQ(s.islandHeight.get(), 140);
    EXPECT_EQ(s.glassTransparency.get(), 0.35);
    EXPECT_EQ(s.soundVolume.get(), 0.6);
    EXPECT_EQ(s.mediaSource.get(), MediaSourcePreference::automatic);
    EXPECT_EQ(s.leftButton.get(), LeftButtonAction::shuffle);
    EXPECT_EQ(s.hideAfterPause.get(), 0);
    EXPECT_EQ(s.volumeHUDDuration.get(), 1.6);
    EXPECT_EQ(s.chargerHUDDuration.get(), 4.0);
    EXPECT_EQ(s.deviceHUDDuration.get(), 4.5);
    EXPECT_EQ(s.weatherCity.get(), "");
    EXPECT_EQ(s.calendarReminderMinutes.get(), 5);
    EXPECT_FALSE(s.browserAI.get());
    EXPECT_EQ(s.focusHUDDuration.get(), 2.0);
    EXPECT_EQ(s.batteryStyle.get(), BatteryStyle::filled);
    EXPECT_EQ(s.accessoryStyle.get(), AccessoryStyle::realistic);
    EXPECT_EQ(s.lockGlassStyle.get(), GlassStyle::clear);
    EXPECT_TRUE(s.autoCheckUpdates.get());
    // Registered defaults answer reads but are not stored.
    EXPECT_EQ(UserDefaults::standard().doubleForKey("islandWidth"), 343);
    UserDefaults::standard().flush();
    EXPECT_FALSE(platform::readFile(platform::Paths::defaultsFile(UserDefaults::applicationDomain)));
}

TEST_F(AppSettingsTest, EnumsMatchTheirRawStringsExactlyElseFallBack) {
    storeRaw({{"openMode", "Click"},
              {"leftButton", "repeatMode"},
              {"mediaSource", "SPOTIFY"},
              {"batteryStyle", "outline"},
              {"accessoryStyle", 7},
              {"lockGlassStyle", "frosted"}});
    AppSettings& s = AppSettings::shared();
    EXPECT_EQ(s.openMode.get(), IslandOpenMode::hover);
    EXPECT_EQ(s.leftButton.get(), LeftButtonAction::repeatMode);
    EXPECT_EQ(s.mediaSource.get(), MediaSourcePreference::automatic);
    EXPECT_EQ(s.batteryStyle.get(), BatteryStyle::outline);
    EXPECT_EQ(s.accessoryStyle.get(), AccessoryStyle::realistic);
    EXPECT_EQ(s.lockGlassStyle.get(), GlassStyle::frosted);
    // Nothing is written back until a setting is assigned.
    EXPECT_EQ(onDisk()["openMode"], "Click");
}

TEST_F(AppSettingsTest, EveryAssignmentIsWrittenAfterSubscribersHearIt) {
    AppSettings& s = AppSettings::shared();
    std::vector<std::string> heard;
    Subscription sub = s.mediaSource.sink([&](const MediaSourcePreference& v) {
        // The new value is announced before it is stored or written.
        heard.push_back(std::string(rawValue(v)) + "/" + std::string(rawValue(s.mediaSource.get())) + "/" +
                        (onDisk().contains("mediaSource") ? "written" : "unwritten"));
    });
    s.mediaSource = MediaSourcePreference::spotify;
    EXPECT_EQ(onDisk()["mediaSource"], "spotify");
    EXPECT_EQ(heard, std::vector<std::string>{"spotify/auto/unwritten"});

    // An equal value is written too: the key appears although it equals the default.
    s.hideInFullscreen = true;
    EXPECT_EQ(onDisk()["hideInFullscreen"], true);
    s.weatherCity = "Oaxaca";
    s.islandWidth = 400;
    EXPECT_EQ(onDisk()["weatherCity"], "Oaxaca");
    EXPECT_TRUE(onDisk()["islandWidth"].is_number_float());
}

TEST_F(AppSettingsTest, NumbersFromTheFileAreGuarded) {
    storeRaw({{"soundVolume", 3.5},
              {"islandWidth", 5000},
              {"islandHeight", 12},
              {"volumeHUDDuration", -2},
              {"deviceHUDDuration", "-1"},
              {"hideAfterPause", -10},
              {"calendarReminderMinutes", -5},
              {"lyricsOffset", "nan"},
              {"chargerHUDDuration", "inf"},
              {"focusHUDDuration", 3.5}});
    AppSettings& s = AppSettings::shared();
    EXPECT_EQ(s.soundVolume.get(), 1.0);
    EXPECT_EQ(s.islandWidth.get(), 860);
    EXPECT_EQ(s.islandHeight.get(), 110);
    EXPECT_EQ(s.volumeHUDDuration.get(), 0);
    EXPECT_EQ(s.deviceHUDDuration.get(), 0);
    EXPECT_EQ(s.hideAfterPause.get(), 0);
    EXPECT_EQ(s.calendarReminderMinutes.get(), 0);
    EXPECT_EQ(s.lyricsOffset.get(), 0) << "a non-finite number falls back to the default";
    EXPECT_EQ(s.chargerHUDDuration.get(), 4.0);
    EXPECT_EQ(s.focusHUDDuration.get(), 3.5) << "valid values are kept as they are";
}

TEST_F(AppSettingsTest, AssignedNumbersPassTheSameGuards) {
    AppSettings& s = AppSettings::shared();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        Published<double>& setting;
        const char* key;
        double assigned;
        double stored;
    };
    const Case cases[] = {
        {s.islandWidth, "islandWidth", 5000, 860},
        {s.islandWidth, "islandWidth", 100, 320},
        {s.islandHeight, "islandHeight", 999, 250},
        {s.soundVolume, "soundVolume", -0.5, 0},
        {s.soundVolume, "soundVolume", 0.25, 0.25},
        {s.volumeHUDDuration, "volumeHUDDuration", -3, 0},
        {s.calendarReminderMinutes, "calendarReminderMinutes", -1, 0},
        {s.lyricsOffset, "lyricsOffset", -2.5, -2.5},
    };
    for (const auto& c : cases) {
        std::vector<double> heard;
        Subscription sub = c.setting.sink([&](const double& v) { heard.push_back(v); });
        c.setting = c.assigned;
        EXPECT_EQ(c.setting.get(), c.stored) << c.key << " = " << c.assigned;
        EXPECT_EQ(heard, std::vector<double>{c.stored}) << c.key << ": subscribers hear what is stored";
        EXPECT_EQ(onDisk()[c.key], c.stored) << c.key;
    }

    // Not finite: refused, so the setting, its subscribers and the file keep what they had.
    for (const double bad : {nan, inf, -inf}) {
        for (Published<double>* setting :
             {&s.islandWidth, &s.islandHeight, &s.deviceHUDDuration, &s.soundVolume}) {
            const double before = setting->get();
            int heard = 0;
            Subscription sub = setting->sink([&](const double&) { ++heard; });
            *setting = bad;
            EXPECT_EQ(setting->get(), before);
            EXPECT_EQ(heard, 0);
        }
    }
    EXPECT_EQ(onDisk()["islandWidth"], 320);
    EXPECT_FALSE(onDisk().contains("deviceHUDDuration"));
}

TEST_F(AppSettingsTest, ValuesOfOtherTypesGoThroughTheConvertingReaders) {
    storeRaw({{"menuBarIcon", "NO"},
              {"hapticFeedback", 0},
              {"scrollForVolume", "YES"},
              {"soundVolume", "0.25"},
              {"weatherCity", 12}});
    AppSettings& s = AppSettings::shared();
    EXPECT_FALSE(s.menuBarIcon.get());
    EXPECT_FALSE(s.hapticFeedback.get());
    EXPECT_TRUE(s.scrollForVolume.get());
    EXPECT_EQ(s.soundVolume.get(), 0.25);
    EXPECT_EQ(s.weatherCity.get(), "12");
}

TEST_F(AppSettingsTest, MediaSourceAllowsAndFeatures) {
    EXPECT_TRUE(allows(MediaSourcePreference::automatic, PlayerSource::music));
    EXPECT_TRUE(allows(MediaSourcePreference::automatic, PlayerSource::spotify));
    EXPECT_FALSE(allows(MediaSourcePreference::music, PlayerSource::spotify));
    EXPECT_TRUE(allows(MediaSourcePreference::spotify, PlayerSource::spotify));
    EXPECT_FALSE(allows(MediaSourcePreference::spotify, PlayerSource::music));

    AppSettings& s = AppSettings::shared();
    EXPECT_TRUE(Features::lyrics());
    s.mediaEnabled = false;
    EXPECT_FALSE(Features::lyrics());
    EXPECT_FALSE(Features::browserAI());
    s.browserAI = true;
    EXPECT_TRUE(Features::browserAI());
    s.agentAlerts = false;
    EXPECT_FALSE(Features::browserAI());
}

TEST_F(AppSettingsTest, LaunchAtLoginReportsTheRealStateAndLogsARefusal) {
    AppSettings& s = AppSettings::shared();
    int announcements = 0;
    Subscription sub = s.objectWillChange.connect([&] { ++announcements; });

    s.setLaunchAtLogin(true);
    EXPECT_TRUE(s.launchAtLogin());
    s.setLaunchAtLogin(false);
    EXPECT_FALSE(s.launchAtLogin());

    fake.loginItem.failure = "denegado";
    ::testing::internal::CaptureStderr();
    s.setLaunchAtLogin(true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Quorlix: no se pudo cambiar el inicio de sesión: denegado\n");
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_EQ(announcements, 3);
    EXPECT_FALSE(UserDefaults::standard().object("launchAtLogin"));
}

TEST(RawEnum, CasesAndRawValuesInOrder) {
    const auto cases = allCases<LeftButtonAction>();
    ASSERT_EQ(cases.size(), 4u);
    EXPECT_EQ(rawValue(cases[2]), "repeatMode");
    EXPECT_EQ(rawValue(MediaSourcePreference::automatic), "auto");
    EXPECT_EQ(fromRawValue<MediaSourcePreference>("auto"), MediaSourcePreference::automatic);
    EXPECT_EQ(fromRawValue<IslandOpenMode>("CLICK"), std::nullopt);
}

}  // namespace
}  // namespace quorlix
