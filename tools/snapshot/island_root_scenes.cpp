// Scenes of the whole island as its panel draws it, over a notch and floating, at rest, with
// a HUD and expanded.

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
#include "snapshot/scene.h"
#include "ui/views.h"

#include <memory>

namespace quorlix::snapshot {

namespace {

using namespace ui;

// The objects the island reads, with nothing playing and no agent at work.
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
    View island(const platform::Screen& screen) {
        return islandTree(
            state, NotchGeometry(screen, false),
            {AppSettings::shared(), nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar});
    }
};

platform::Screen external() {
    platform::Screen s;
    s.frame = Rect(0, 0, 1920, 1080);
    return s;
}

platform::Screen notched() {
    platform::Screen s = external();
    s.safeAreaInsets.top = 32;
    s.auxiliaryTopLeftArea = Rect(0, 1048, 866, 32);
    s.auxiliaryTopRightArea = Rect(1053, 1048, 867, 32);
    return s;
}

View rendered(const platform::Screen& screen, std::function<void(IslandWorld&)> setUp) {
    IslandWorld& world = IslandWorld::shared();
    // At the settings' sizes, whatever a scene drawn before previewed.
    LivePreview::shared().width = std::nullopt;
    world.state.expanded = false;
    world.hud.current = std::nullopt;
    setUp(world);
    return world.island(screen);
}

const Scene floatingIdle{
    "island-floating-idle", {920, 120}, [] { return rendered(external(), [](auto&) {}); }};
const Scene floatingHUD{
    "island-floating-volume", {920, 120}, [] {
        return rendered(external(), [](IslandWorld& w) { w.hud.current = HUDContent::volume(0.62f, false); });
    }};
const Scene notchHUD{
    "island-notch-volume", {920, 120}, [] {
        return rendered(notched(), [](IslandWorld& w) { w.hud.current = HUDContent::volume(0.62f, false); });
    }};
const Scene expanded{"island-floating-expanded", {920, 340}, [] {
                         return rendered(external(), [](IslandWorld& w) { w.state.expanded = true; });
                     }};

}  // namespace

}  // namespace quorlix::snapshot
