// Scenes of the settings panes, each alone on the window's glass at the pane area's width,
// in its main states: the Music pane by default and with the player off, the volume pane
// asking for the permission, the battery with and without a reading, the focus samples, the
// weather by day, by night, with no data and with the location denied, the lock screen in
// clear and frosted glass and with the lyrics off, accessories, timer, calendar with the
// reminders off, privacy, and the agents connected, disconnected after an error and with
// the browser line.

#include "foundation/app_settings.h"
#include "services/agent_service.h"
#include "services/battery_service.h"
#include "services/brightness_service.h"
#include "services/browser_ai_watcher.h"
#include "services/media_key_interceptor.h"
#include "services/weather_service.h"
#include "settings/accessory_timer_calendar_panes.h"
#include "settings/agents_pane.h"
#include "settings/focus_pane.h"
#include "settings/lock_screen_pane.h"
#include "settings/media_pane.h"
#include "settings/privacy_pane.h"
#include "settings/settings_view.h"
#include "settings/tray_volume_battery_panes.h"
#include "settings/wallpaper.h"
#include "settings/weather_pane.h"
#include "snapshot/landscape.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <fstream>

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Color windowBehind = Color::sRGB(0.16, 0.2, 0.26);

struct InlineQueue final : platform::SerialQueue {
    void async(std::function<void()> job) override { job(); }
};

// Work the services leave for later never runs: a scene is drawn as things stand.
class IdleQueue final : public platform::MainQueue {
public:
    IdleQueue() { install(this); }

protected:
    void schedule(double, std::shared_ptr<platform::Job>) override {}
    void scheduleUptime(double, std::shared_ptr<platform::Job>) override {}
};

// The services the panes read, with no backends: each scene sets what it shows.
struct PaneWorld {
    IdleQueue mainQueue;  // first: the services below may schedule work
    InlineQueue queue;
    SceneTrust trust;
    WeatherService weather{WeatherService::Configuration{}};
    BatteryService battery{nullptr};
    AgentService agents{nullptr};
    BrowserAIWatcher browser{nullptr, nullptr, queue};
    MediaKeyInterceptor keys{nullptr, &trust, BrightnessService::shared(), nullptr};

    static PaneWorld& shared() {
        static PaneWorld world;
        return world;
    }

    View withObjects(View view) {
        return view.environmentObject(AppSettings::shared())
            .environmentObject(weather)
            .environmentObject(battery)
            .environmentObject(agents)
            .environmentObject(browser);
    }

    // Back to the defaults of every key the scenes change, the desktop picture set.
    void reset() {
        AppSettings& s = AppSettings::shared();
        s.mediaEnabled = true;
        s.collapseOnPause = true;
        s.hideAfterPause = 15;
        s.replaceSystemHUD = true;
        s.lockGlassStyle = GlassStyle::clear;
        s.lyricsEnabled = true;
        s.lyricsOffset = 0.25;
        s.calendarReminders = true;
        s.browserAI = false;
        s.weatherCity = "";
        Wallpaper::setImage(landscape(900, 600));
        weather.place = std::nullopt;
        weather.temperature = std::nullopt;
        weather.high = std::nullopt;
        weather.low = std::nullopt;
        weather.weatherCode = 0;
        weather.isDay = true;
        weather.locationDenied = false;
        battery.snapshot = std::nullopt;
        trust.grantable = true;
        agents.lastError = std::nullopt;
        browser.update(false);
        agents.disconnectClaude();
        agents.disconnectCodex();
        std::error_code ec;
        std::filesystem::remove(AgentService::codexConfigPath(), ec);
    }
};

// A pane as the window's pane area shows it: 366 points wide, inset as there.
View onGlass(View pane) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 0}, {pane})
        .frame({.width = 366})
        .padding(EdgeInsets{34, 22, 28, 22})
        .frame({.maxHeight = infinity, .alignment = Alignment::top})
        .background(GlassBackground{})
        .colorScheme(ColorScheme::dark)
        .tint(Color::quorlixAccent);
}

// A pane scene: the world reset, then `setUp`, then the pane.
struct PaneScene : Scene {
    PaneScene(std::string name, double height, std::function<void(PaneWorld&)> setUp,
              std::function<View()> pane)
        : Scene(
              std::move(name), {410, height},
              [setUp = std::move(setUp), pane = std::move(pane)] {
                  PaneWorld& world = PaneWorld::shared();
                  world.reset();
                  setUp(world);
                  return world.withObjects(onGlass(pane()));
              },
              windowBehind) {}
};

void nothing(PaneWorld&) {}

const PaneScene media{"pane-media", 918, nothing, [] { return View(MediaPane{}); }};
const PaneScene mediaOff{"pane-media-player-off", 918,
                         [](PaneWorld&) {
                             AppSettings::shared().mediaEnabled = false;
                             AppSettings::shared().collapseOnPause = false;
                         },
                         [] { return View(MediaPane{}); }};
const PaneScene tray{"pane-tray", 260, nothing, [] { return View(TrayPane{}); }};
const PaneScene volume{"pane-volume", 470, nothing,
                       [] { return View(VolumePane{&PaneWorld::shared().keys}); }};
// In a Wayland session, where the permission can never be given.
const PaneScene volumeWayland{"pane-volume-wayland", 490, [](PaneWorld& w) { w.trust.grantable = false; },
                              [] { return View(VolumePane{&PaneWorld::shared().keys}); }};
const PaneScene battery{"pane-battery", 540,
                        [](PaneWorld& w) {
                            w.battery.snapshot =
                                BatteryService::Snapshot{.level = 78, .charging = true, .pluggedIn = true};
                        },
                        [] { return View(BatteryPane{}); }};
const PaneScene batteryNone{"pane-battery-no-battery", 450, nothing, [] { return View(BatteryPane{}); }};
const PaneScene focus{"pane-focus", 510, nothing, [] { return View(FocusPane{}); }};

void sunny(PaneWorld& w) {
    w.weather.place = "Guadalajara";
    w.weather.temperature = 24.6;
    w.weather.high = 28.2;
    w.weather.low = 14.5;
    w.weather.weatherCode = 1;
    AppSettings::shared().weatherCity = "Guadalajara";
}
const PaneScene weatherDay{"pane-weather-day", 484, sunny, [] { return View(WeatherPane{}); }};
const PaneScene weatherNight{"pane-weather-night", 484,
                             [](PaneWorld& w) {
                                 sunny(w);
                                 w.weather.temperature = 16.4;
                                 w.weather.weatherCode = 0;
                                 w.weather.isDay = false;
                             },
                             [] { return View(WeatherPane{}); }};
const PaneScene weatherNoData{"pane-weather-no-data", 470, nothing, [] { return View(WeatherPane{}); }};
const PaneScene weatherDenied{"pane-weather-location-denied", 470,
                              [](PaneWorld& w) { w.weather.locationDenied = true; },
                              [] { return View(WeatherPane{}); }};

const PaneScene lockClear{"pane-lock-screen", 990, nothing, [] { return View(LockScreenPane{}); }};
const PaneScene lockFrosted{"pane-lock-screen-frosted", 990,
                            [](PaneWorld&) { AppSettings::shared().lockGlassStyle = GlassStyle::frosted; },
                            [] { return View(LockScreenPane{}); }};
const PaneScene lockNoLyrics{"pane-lock-screen-lyrics-off", 990,
                             [](PaneWorld&) { AppSettings::shared().lyricsEnabled = false; },
                             [] { return View(LockScreenPane{}); }};

const PaneScene accessories{"pane-accessories", 600, nothing, [] { return View(AccessoriesPane{}); }};
const PaneScene timer{"pane-timer", 240, nothing, [] { return View(TimerPane{}); }};
const PaneScene calendarOff{"pane-calendar-reminders-off", 320,
                            [](PaneWorld&) { AppSettings::shared().calendarReminders = false; },
                            [] { return View(CalendarPane{}); }};
const PaneScene privacy{"pane-privacy", 330, nothing, [] { return View(PrivacyPane{}); }};

const PaneScene agentsConnected{"pane-agents-connected", 810,
                                [](PaneWorld& w) {
                                    w.agents.connectClaude();
                                    w.agents.connectCodex();
                                },
                                [] { return View(AgentsPane{}); }};
const PaneScene agentsError{
    "pane-agents-error", 790,
    [](PaneWorld& w) {
        // A notify command of the user's own stands in the way.
        std::filesystem::create_directories(AgentService::codexConfigPath().parent_path());
        std::ofstream(AgentService::codexConfigPath()) << "notify = [\"mi-aviso\"]\n";
        w.agents.connectCodex();
    },
    [] { return View(AgentsPane{}); }};
const PaneScene agentsBrowser{"pane-agents-browser", 820,
                              [](PaneWorld& w) {
                                  AppSettings::shared().browserAI = true;
                                  w.browser.update(true);
                              },
                              [] { return View(AgentsPane{}); }};

}  // namespace

}  // namespace quorlix::snapshot
