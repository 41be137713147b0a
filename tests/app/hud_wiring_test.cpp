#include "app/hud_wiring.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "platform/user_defaults.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/bluetooth_service.h"
#include "services/brightness_service.h"
#include "services/calendar_service.h"
#include "services/focus_monitor.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/privacy_monitor.h"
#include "services/timer_service.h"
#include "services/update_service.h"
#include "services/volume_service.h"

#include <gtest/gtest.h>

#include <functional>

namespace quorlix {
namespace {

using Tint = IslandAlert::Tint;
using Snapshot = BatteryService::Snapshot;

IslandAlert alert(std::string symbol, std::string text, Tint tint,
                  std::optional<std::string> detail = std::nullopt, bool wide = false, bool compact = false) {
    return {std::move(symbol), std::move(text), tint, std::move(detail), wide, compact};
}

// Every service the wiring serves, over the fake platform, with every callback installed.
class Wired {
public:
    fakes::FakePlatform fake;
    HUDCenter hud;
    VolumeService volume;
    BluetoothService bluetooth;
    BatteryService battery;
    FocusMonitor focus;
    PrivacyMonitor privacy;
    TimerService timer;
    AgentService agents;
    CalendarService calendar;
    NowPlayingService nowPlaying;
    LyricsService lyrics;
    UpdateService updates;
    std::optional<HUDWiring> wiring;

    Wired() {
        wiring.emplace(HUDWiring::Services{hud, volume, BrightnessService::shared(), bluetooth, battery,
                                           focus, privacy, timer, agents, calendar, nowPlaying, lyrics,
                                           updates});
        wiring->installVolume();
        wiring->installBrightness();
        wiring->installOutput();
        wiring->installDevice();
        wiring->installTimer();
        wiring->installAgents();
        wiring->installCalendar();
        wiring->installPrivacy();
        wiring->installFocus();
        wiring->installBattery();
    }

    AppSettings& settings() { return AppSettings::shared(); }
    void advance(double seconds) { fake.time.advance(seconds); }
    const std::optional<HUDContent>& current() const { return hud.current.get(); }
    // Plays of the fake system sounds or resource files, by name, in order.
    std::vector<std::string> sounds() const {
        std::vector<std::string> names;
        for (const auto& s : fake.soundPlayer.created)
            if (s->plays > 0) names.push_back(s->name);
        return names;
    }
    UpcomingEvent eventIn(double seconds, std::string title = "Junta") const {
        UpcomingEvent event;
        event.id = "e1";
        event.title = std::move(title);
        event.start = fake.time.clock.date().addingTimeInterval(seconds);
        event.end = event.start.addingTimeInterval(1800);
        return event;
    }
};

// One callback: the setting that gates it (none for the timer), how to fire it, and what it
// must show for how long.
struct CallbackCase {
    std::string name;
    Published<bool> AppSettings::*gate;
    std::function<void(Wired&)> fire;
    HUDContent expected;
    double duration;
};

void PrintTo(const CallbackCase& c, std::ostream* os) { *os << c.name; }

const AudioDeviceInfo airpods{"AirPods de Ana", AudioDeviceInfo::Kind::airpods, {}};
const AudioOutput hdmi{9, "Samsung TV", AudioOutput::hdmi};

std::vector<CallbackCase> callbackCases() {
    return {
        {"volume", &AppSettings::volumeHUD, [](Wired& w) { w.volume.onChange(0.4f, true); },
         HUDContent::volume(0.4f, true), 2.2},
        {"brightness", &AppSettings::brightnessHUD,
         [](Wired&) { BrightnessService::shared().onChange(0.3f); }, HUDContent::brightness(0.3f), 2.2},
        {"output", &AppSettings::outputHUD, [](Wired& w) { w.volume.onOutputChange(hdmi); },
         HUDContent::output(hdmi), 2.4},
        {"device", &AppSettings::deviceHUD, [](Wired& w) { w.bluetooth.onDevice(airpods); },
         HUDContent::device(airpods), 3.3},
        {"charger", &AppSettings::chargerHUD,
         [](Wired& w) {
             w.battery.onPowerChange(Snapshot{57, true, true});
         },
         HUDContent::battery({57, true, true}), 4.4},
        {"lowBattery", &AppSettings::lowBatteryAlert,
         [](Wired& w) {
             w.battery.onLevelChange(Snapshot{19, false, false});
         },
         HUDContent::alert(alert("battery.25percent", "Batería al 19%", Tint::red)), 4.5},
        {"focusOn", &AppSettings::focusAlerts,
         [](Wired& w) {
             w.focus.onChange({true, "Trabajo"});
         },
         HUDContent::alert(alert("moon.fill", "Sí", Tint::focus, std::nullopt, false, true)), 2.5},
        {"focusOff", &AppSettings::focusAlerts,
         [](Wired& w) {
             w.focus.onChange({false, "No molestar"});
         },
         HUDContent::alert(alert("moon.fill", "No", Tint::dim, std::nullopt, false, true)), 2.5},
        {"microphone", &AppSettings::privacyAlerts, [](Wired& w) { w.privacy.onChange(true, false); },
         HUDContent::alert(alert("mic.fill", "Micrófono", Tint::orange, "●")), 3.0},
        {"camera", &AppSettings::privacyAlerts, [](Wired& w) { w.privacy.onChange(false, true); },
         HUDContent::alert(alert("video.fill", "Cámara", Tint::green, "●")), 3.0},
        {"microphoneAndCamera", &AppSettings::privacyAlerts, [](Wired& w) { w.privacy.onChange(true, true); },
         HUDContent::alert(alert("video.fill", "Cámara y mic", Tint::green, "●")), 3.0},
        {"agentDone", &AppSettings::agentAlerts, [](Wired& w) { w.agents.onDone(AgentKind::codex, 425.7); },
         HUDContent::alert(alert("checkmark.circle.fill", "Codex terminó", Tint::green, "7:05")), 5.0},
        {"agentDoneWithoutTime", &AppSettings::agentAlerts,
         [](Wired& w) { w.agents.onDone(AgentKind::claudeWeb, std::nullopt); },
         HUDContent::alert(alert("checkmark.circle.fill", "Claude terminó", Tint::green)), 5.0},
        {"needsInput", &AppSettings::agentAlerts, [](Wired& w) { w.agents.onNeedsInput(AgentKind::other); },
         HUDContent::alert(alert("hand.raised.fill", "Te necesita", Tint::orange, "Agente")), 8.0},
        {"reminder", &AppSettings::calendarEnabled,
         [](Wired& w) { w.calendar.onReminder(w.eventIn(5 * 60)); },
         HUDContent::alert(alert("calendar", "Junta", Tint::calendar, "5 min", true)), 6.0},
        {"reminderStarted", &AppSettings::calendarEnabled,
         [](Wired& w) { w.calendar.onReminder(w.eventIn(-60)); },
         HUDContent::alert(alert("calendar", "Junta", Tint::calendar, "Ahora", true)), 6.0},
        {"timer", nullptr, [](Wired& w) { w.timer.onFinish(); },
         HUDContent::alert(alert("checkmark.circle.fill", "¡Listo!", Tint::orange)), 5.0},
    };
}

class CallbackTest : public ::testing::TestWithParam<CallbackCase> {
protected:
    Wired w;
    void SetUp() override {
        // Distinct durations, so each case proves which setting it reads.
        w.settings().volumeHUDDuration = 2.2;
        w.settings().deviceHUDDuration = 3.3;
        w.settings().chargerHUDDuration = 4.4;
        w.settings().focusHUDDuration = 2.5;
    }
};

TEST_P(CallbackTest, ShowsItsContentForItsDuration) {
    const auto& c = GetParam();
    c.fire(w);
    ASSERT_TRUE(w.current().has_value());
    EXPECT_EQ(*w.current(), c.expected);
    w.advance(c.duration - 0.01);
    EXPECT_TRUE(w.current().has_value());
    w.advance(0.01);
    EXPECT_FALSE(w.current().has_value());
}

TEST_P(CallbackTest, ShowsNothingWhileItsSettingIsOff) {
    const auto& c = GetParam();
    if (!c.gate) {
        // Nothing switches an ungated callback off: it shows whatever the settings say.
        c.fire(w);
        EXPECT_TRUE(w.current().has_value());
        return;
    }
    (w.settings().*c.gate) = false;
    c.fire(w);
    EXPECT_FALSE(w.current().has_value());
}

INSTANTIATE_TEST_SUITE_P(Wiring, CallbackTest, ::testing::ValuesIn(callbackCases()),
                         [](const ::testing::TestParamInfo<CallbackCase>& info) { return info.param.name; });

class HUDWiringTest : public ::testing::Test {
protected:
    Wired w;
    int lowBatteryAlerts = 0;

    void level(std::int64_t percent, bool pluggedIn = false) {
        w.battery.onLevelChange(Snapshot{percent, false, pluggedIn});
        if (w.current() && w.current()->get<IslandAlert>()) {
            ++lowBatteryAlerts;
            w.advance(5);
        }
    }
};

TEST_F(HUDWiringTest, LowBatteryAnnouncesEachThresholdOncePerDischarge) {
    level(25);
    level(19);
    EXPECT_EQ(lowBatteryAlerts, 1);
    level(15);
    EXPECT_EQ(lowBatteryAlerts, 1);
    level(9);
    EXPECT_EQ(lowBatteryAlerts, 2);
    level(5);
    EXPECT_EQ(lowBatteryAlerts, 2);

    level(9, true);  // plugged in: both thresholds re-armed
    EXPECT_EQ(w.wiring->lastBatteryAlert(), 101);
    level(19);
    EXPECT_EQ(lowBatteryAlerts, 3);
}

TEST_F(HUDWiringTest, FirstReadingBelowTenAnnouncesOnlyTen) {
    level(8);
    level(7);
    level(15);  // above 10 again without a charger: 20 % counts as announced
    EXPECT_EQ(lowBatteryAlerts, 1);
    EXPECT_EQ(w.wiring->lastBatteryAlert(), 10);
}

TEST_F(HUDWiringTest, PluggingInReArmsEvenWhileTheAlertIsOff) {
    level(19);
    ASSERT_EQ(lowBatteryAlerts, 1);
    w.settings().lowBatteryAlert = false;
    level(40, true);
    EXPECT_EQ(w.wiring->lastBatteryAlert(), 101);
    w.settings().lowBatteryAlert = true;
    level(19);
    EXPECT_EQ(lowBatteryAlerts, 2);
}

TEST_F(HUDWiringTest, OutputHUDIsSuppressedWhileADeviceHUDShows) {
    w.bluetooth.onDevice(airpods);
    w.volume.onOutputChange(hdmi);
    EXPECT_EQ(*w.current(), HUDContent::device(airpods));
    w.advance(4.5);
    w.volume.onOutputChange(hdmi);
    EXPECT_EQ(*w.current(), HUDContent::output(hdmi));
}

TEST_F(HUDWiringTest, SoundsFollowTheirSettings) {
    w.fake.soundPlayer.files["temporizador.wav"] = 1.5;
    w.fake.soundPlayer.systemSounds["Ping"] = 0.6;

    w.timer.onFinish();
    w.agents.onDone(AgentKind::claude, 12.0);
    w.agents.onNeedsInput(AgentKind::claude);
    EXPECT_EQ(w.sounds(), (std::vector<std::string>{"temporizador.wav", "Glass", "Ping"}));
    EXPECT_EQ(w.fake.soundPlayer.created.front()->volume, 1.0);

    w.settings().timerSound = false;
    w.settings().agentSound = false;
    w.advance(10);
    w.timer.onFinish();
    EXPECT_TRUE(w.current().has_value()) << "the alert still shows, silently";
    w.agents.onDone(AgentKind::claude, 12.0);
    w.agents.onNeedsInput(AgentKind::claude);
    EXPECT_EQ(w.sounds().size(), 3u);

    // Agent alerts off: neither alert nor sound.
    w.settings().agentAlerts = false;
    w.settings().agentSound = true;
    w.advance(10);
    w.agents.onNeedsInput(AgentKind::claude);
    EXPECT_FALSE(w.current().has_value());
    EXPECT_EQ(w.sounds().size(), 3u);
}

TEST_F(HUDWiringTest, AgentEventsReachTheIslandThroughTheService) {
    w.agents.handle("quorlix://agent?agent=gemini&event=working");
    w.advance(75);
    w.agents.handle("quorlix://agent?agent=gemini&event=done");
    ASSERT_TRUE(w.current().has_value());
    EXPECT_EQ(w.current()->get<IslandAlert>()->text, "Gemini terminó");
    EXPECT_EQ(w.current()->get<IslandAlert>()->detail, "1:15");
}

TEST_F(HUDWiringTest, WaitsFromSettingsAreNeverNegative) {
    w.settings().volumeHUDDuration = -4;
    w.volume.onChange(0.5f, false);
    ASSERT_TRUE(w.current().has_value());
    w.fake.time.runPending();
    EXPECT_FALSE(w.current().has_value());

    w.settings().chargerHUDDuration = -4;
    w.battery.onPowerChange(Snapshot{50, false, true});
    w.fake.time.runPending();
    w.volume.onChange(0.6f, false);
    EXPECT_EQ(*w.current(), HUDContent::volume(0.6f, false)) << "no protection left behind";
}

TEST_F(HUDWiringTest, CallbacksDoNothingOnceTheWiringIsGone) {
    w.wiring.reset();
    w.volume.onChange(0.5f, false);
    w.timer.onFinish();
    w.battery.onLevelChange(Snapshot{5, false, false});
    EXPECT_FALSE(w.current().has_value());
}

TEST_F(HUDWiringTest, UpdateIsAnnouncedOncePerVersion) {
    w.updates.state = UpdateService::UpToDate{};
    w.wiring->announceUpdate();
    EXPECT_FALSE(w.current().has_value());

    w.updates.state = UpdateService::Available{"1.4.0"};
    w.wiring->announceUpdate();
    const auto expected = HUDContent::alert(
        alert("arrow.down.circle.fill", "Quorlix 1.4.0 disponible", Tint::accent, std::nullopt, true));
    EXPECT_EQ(w.current(), expected);
    EXPECT_EQ(platform::UserDefaults::standard().stringForKey("announcedUpdate"), "1.4.0");
    w.advance(4.99);
    EXPECT_TRUE(w.current().has_value());
    w.advance(0.01);
    EXPECT_FALSE(w.current().has_value());

    // A later launch that finds the same version stays quiet; a newer one is announced.
    w.wiring.emplace(HUDWiring::Services{w.hud, w.volume, BrightnessService::shared(), w.bluetooth, w.battery,
                                         w.focus, w.privacy, w.timer, w.agents, w.calendar, w.nowPlaying,
                                         w.lyrics, w.updates});
    w.wiring->announceUpdate();
    EXPECT_FALSE(w.current().has_value());
    w.updates.state = UpdateService::Available{"1.5.0"};
    w.wiring->announceUpdate();
    EXPECT_TRUE(w.current().has_value());
}

TEST_F(HUDWiringTest, TrackChangesLoadOrClearLyrics) {
    std::vector<LyricsService::Status> statuses;
    Subscription listen = w.lyrics.status.sink([&](LyricsService::Status s) { statuses.push_back(s); });
    using S = LyricsService::Status;
    auto loads = [&] {
        return std::count_if(statuses.begin(), statuses.end(), [](S s) { return s != S::idle; });
    };
    auto clears = [&] { return std::count(statuses.begin(), statuses.end(), S::idle); };

    Track song{"music:1", "Uno", "Ana", "", 200, PlayerSource::music};
    w.nowPlaying.track = song;
    w.wiring->subscribeTrackChanges();  // the current track is handled at once
    EXPECT_EQ(loads(), 1);

    w.nowPlaying.track = song;  // the same track again: nothing
    EXPECT_EQ(statuses.size(), 1u);
    // A length arriving or changing is the same song: players that load lazily tell it late.
    song.duration = 0;
    w.nowPlaying.track = song;
    song.duration = 201;
    w.nowPlaying.track = song;
    EXPECT_EQ(statuses.size(), 1u);
    // Another title or album under the same id is another track: some players give every file
    // one id.
    song.title = "Uno (remasterizada)";
    w.nowPlaying.track = song;
    EXPECT_EQ(loads(), 2);
    song.album = "Grandes éxitos";
    w.nowPlaying.track = song;
    EXPECT_EQ(loads(), 3);

    w.nowPlaying.track = Track{"spotify:2", "Dos", "Ana", "", 180, PlayerSource::spotify};
    EXPECT_EQ(loads(), 4);

    w.nowPlaying.track = std::nullopt;  // no track is passed on too
    EXPECT_EQ(statuses.size(), 5u);
    w.nowPlaying.track = std::nullopt;
    EXPECT_EQ(statuses.size(), 5u);

    w.settings().lyricsEnabled = false;
    w.nowPlaying.track = song;
    EXPECT_EQ(loads(), 4);
    EXPECT_EQ(clears(), 2) << "lyrics off: cleared at once";
}

TEST_F(HUDWiringTest, PreviewShowsItsSampleAfterASecondAndAHalf) {
    w.wiring->previewHUD("volume");
    w.advance(1.49);
    EXPECT_FALSE(w.current().has_value());
    w.advance(0.01);
    EXPECT_EQ(w.current(), HUDContent::volume(0.62f, false));
    w.advance(5.99);
    EXPECT_TRUE(w.current().has_value());
    w.advance(0.01);
    EXPECT_FALSE(w.current().has_value());

    // Settings are not consulted.
    w.settings().deviceHUD = false;
    w.wiring->previewHUD("anything");
    w.advance(1.5);
    ASSERT_TRUE(w.current().has_value());
    EXPECT_EQ(w.current()->get<AudioDeviceInfo>()->name, "AirPods Pro de Tavio");
}

TEST_F(HUDWiringTest, TimerPreviewStartsACountdown) {
    w.wiring->previewHUD("timer");
    w.advance(1.5);
    EXPECT_TRUE(w.timer.isRunning());
    EXPECT_EQ(w.timer.total.get(), 25 * 60);
    EXPECT_FALSE(w.current().has_value());
}

TEST_F(HUDWiringTest, OutputPreviewsWithoutOutputsShowNothing) {
    w.wiring->previewHUD("output");
    w.advance(2);
    EXPECT_FALSE(w.current().has_value());
}

TEST(PreviewContentTest, EveryKind) {
    using P = HUDWiring;
    const auto check = [](std::string_view kind, const HUDContent& content, double duration) {
        const auto preview = P::previewContent(kind, {});
        ASSERT_TRUE(preview) << kind;
        EXPECT_EQ(preview->content, content) << kind;
        EXPECT_EQ(preview->duration, duration) << kind;
    };
    check("calendar",
          HUDContent::alert(alert("calendar", "Junta con el equipo", Tint::calendar, "5 min", true)), 6);
    check("focus", HUDContent::alert(alert("moon.fill", "Sí", Tint::focus, std::nullopt, false, true)), 6);
    check("focusoff", HUDContent::alert(alert("moon.fill", "No", Tint::dim, std::nullopt, false, true)), 6);
    check("mic", HUDContent::alert(alert("mic.fill", "Micrófono", Tint::orange, "●")), 6);
    check("brightness", HUDContent::brightness(0.7f), 6);
    check("volume", HUDContent::volume(0.62f, false), 6);
    check("battery", HUDContent::battery({78, true, true}), 6);
    check("batteryfull", HUDContent::battery({100, false, true}), 6);
    check("batteryoff", HUDContent::battery({47, false, false}), 6);
    BatteryLevels max;
    max.main = 82;
    check("max", HUDContent::device({"AirPods Max", AudioDeviceInfo::Kind::airpodsMax, max}), 7);
    BatteryLevels pro;
    pro.left = 92;
    pro.right = 88;
    pro.caseLevel = 54;
    check("", HUDContent::device({"AirPods Pro de Tavio", AudioDeviceInfo::Kind::airpodsPro, pro}), 7);
    check("Volume", HUDContent::device({"AirPods Pro de Tavio", AudioDeviceInfo::Kind::airpodsPro, pro}), 7);
    EXPECT_FALSE(P::previewContent("timer", {}));
}

TEST(PreviewContentTest, OutputKindsPickFromTheOutputs) {
    const AudioOutput speakers{1, "MacBook Pro Speakers", AudioOutput::builtIn};
    const AudioOutput tv{2, "Samsung TV", AudioOutput::hdmi};
    const AudioOutput buds{3, "Mis AIRPODS", AudioOutput::bluetooth};

    EXPECT_EQ(HUDWiring::previewContent("output", {tv, speakers, buds})->content, HUDContent::output(buds));
    EXPECT_EQ(HUDWiring::previewContent("output", {tv, speakers})->content, HUDContent::output(tv));
    EXPECT_EQ(HUDWiring::previewContent("output", {tv})->duration, 6);
    EXPECT_FALSE(HUDWiring::previewContent("output", {}));

    EXPECT_EQ(HUDWiring::previewContent("builtin", {tv, buds, speakers})->content,
              HUDContent::output(speakers));
    EXPECT_FALSE(HUDWiring::previewContent("builtin", {tv, buds}));
}

}  // namespace
}  // namespace quorlix
