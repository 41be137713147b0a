#pragma once
// The objects a whole island reads, for scenes of the island as its panel draws it: nothing
// playing, no agent at work, no timer and no HUD until a scene sets them. `island(screen)`
// builds the root view over a screen's notch, or floating on a screen without one.

#include "foundation/app_settings.h"
#include "island/island_root_view.h"
#include "island/live_preview.h"
#include "platform/platform.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"

#include <functional>

namespace quorlix::snapshot {

struct IslandWorld {
    struct InlineQueue final : platform::SerialQueue {
        void async(std::function<void()> job) override { job(); }
    } queue;
    NowPlayingService nowPlaying{platform::Platform{}, queue};
    HUDCenter hud;
    AgentService agents{nullptr};
    TimerService timer;
    VolumeService volume{nullptr};
    LyricsService lyrics{nullptr};
    TrayStore tray;
    WeatherService weather;
    CalendarService calendar{nullptr, nullptr};
    IslandState state;

    static IslandWorld& shared() {
        static IslandWorld world;
        return world;
    }
    // Back to rest: nothing playing, no agent, no timer, no HUD, closed, at the settings'
    // sizes whatever a scene drawn before previewed.
    void reset() {
        LivePreview::shared().width = std::nullopt;
        hud.current = std::nullopt;
        hud.deviceDetail = false;
        state.expanded = false;
        state.trackSwipe = 0;
        nowPlaying.isPlaying = false;
        nowPlaying.liveVisible = false;
        nowPlaying.artwork = std::nullopt;
        nowPlaying.accentColor = NowPlayingService::white;
        timer.endDate = std::nullopt;
        timer.pausedRemaining = std::nullopt;
        timer.total = 0;
        agents.working = {};
        volume.currentOutput = std::nullopt;
    }
    ui::View island(const platform::Screen& screen) {
        return islandTree(
            state, NotchGeometry(screen, false),
            {AppSettings::shared(), nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar});
    }
};

// A 1920 by 1080 display without a notch, and the same with a 187 by 32 notch.
inline platform::Screen externalScreen() {
    platform::Screen s;
    s.frame = Rect(0, 0, 1920, 1080);
    return s;
}

inline platform::Screen notchedScreen() {
    platform::Screen s = externalScreen();
    s.safeAreaInsets.top = 32;
    s.auxiliaryTopLeftArea = Rect(0, 1048, 866, 32);
    s.auxiliaryTopRightArea = Rect(1053, 1048, 867, 32);
    return s;
}

// The island over `screen` once `setUp` has changed the resting world.
inline ui::View islandScene(const platform::Screen& screen, const std::function<void(IslandWorld&)>& setUp) {
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    setUp(world);
    return world.island(screen);
}

}  // namespace quorlix::snapshot
