#pragma once
// An island on a fake screen with every service it reads, scripts run inline.

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "services/agent_service.h"
#include "services/apple_script_queue.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "window/notch_window_controller.h"

#include <gtest/gtest.h>

#include <memory>

namespace quorlix::testing {

class IslandTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::InlineSerialQueue scripts;
    AppSettings& settings = AppSettings::shared();
    NowPlayingService nowPlaying{fake.platform(), scripts};
    LyricsService lyrics{&fake.httpClient};
    TrayStore tray;
    WeatherService weather;
    VolumeService volume{&fake.audio};
    HUDCenter hud;
    TimerService timer;
    AgentService agents;
    CalendarService calendar;
    std::unique_ptr<NotchWindowController> island;

    IslandTest() { AppleScriptQueue::install(&scripts); }
    ~IslandTest() override {
        island.reset();
        AppleScriptQueue::install(nullptr);
    }

    IslandServices services() {
        return {settings, nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar};
    }
    // A 2560 by 1440 display at the origin: a floating 84 by 24 island 3 points below the top,
    // centred at x = 1280.
    NotchWindowController& make(platform::Screen screen = fakes::FakeScreens::externalDisplay(0)) {
        if (fake.screens.list.empty()) fake.screens.list = {screen};
        island = std::make_unique<NotchWindowController>(screen, services(), fake.platform());
        fake.time.runPending();
        return *island;
    }
    fakes::FakePanelWindow& panel() { return *fake.panelWindows.live.back(); }

    // The middle of the closed island, and a point well away from it.
    Point onIsland() const { return {1280, 1425}; }
    static Point away() { return {300, 300}; }

    void move(Point at) { mouse(platform::PointerEventType::mouseMoved, at); }
    void mouse(platform::PointerEventType type, Point at, bool fileDrag = false) {
        island->handleMouse(at, type, fileDrag);
    }
    void scroll(platform::ScrollDetail detail, Point at) { island->handleScroll(detail, at); }
    static platform::ScrollDetail trackpad(double dx, double dy,
                                           platform::ScrollPhase phase = platform::ScrollPhase::changed) {
        return {.deltaX = dx, .deltaY = dy, .hasPreciseScrollingDeltas = true, .phase = phase};
    }
    static platform::ScrollDetail wheel(double dy) { return {.deltaY = dy}; }

    bool expanded() const { return island->state().expanded.get(); }

    // An output at half volume, attached.
    void attachOutput() {
        fake.audio.add(1, {.name = "Bocinas", .volume = 0.5f});
        fake.audio.defaultOutput = 1;
        volume.start();
    }
    // The volume last written to the output, or -1.
    double writtenVolume() const {
        for (auto it = fake.audio.writes.rbegin(); it != fake.audio.writes.rend(); ++it)
            if (it->property == platform::AudioProperty::volume) return it->value;
        return -1;
    }

    // Spotify runs and plays a track.
    void play() {
        fake.workspace.running.insert("com.spotify.client");
        nowPlaying.track =
            Track{"spotify:1", "Malamente", "Rosalía", "El mal querer", 150, PlayerSource::spotify};
    }
    int sent(std::string_view command) const {
        return fake.scriptHost.count(PlayerScripts::command(PlayerSource::spotify, command));
    }
};

}  // namespace quorlix::testing
