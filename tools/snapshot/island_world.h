#pragma once
// The objects an island reads, for the scenes: one world shared by every scene, with default
// settings (the tool keeps its settings apart from the user's). At first nothing plays, no
// agent works, three audio outputs are known, the built-in speakers the default, and the
// weather, calendar, countdown and tray are empty. The workspace draws files' icons and
// photographs' thumbnails of its own, so no icon theme is needed.
//
//     IslandWorld& world = IslandWorld::shared();
//     world.play(IslandWorld::sampleTrack(), 83);
//     return world.island(IslandWorld::external());

#include "island/island_root_view.h"
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
#include "ui/view.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quorlix::snapshot {

class IslandWorld {
    struct Backends;
    // First: the services below are built on it.
    std::unique_ptr<Backends> backends_;

public:
    static IslandWorld& shared();
    ~IslandWorld();

    // The whole island on `screen`, as its panel draws it.
    ui::View island(const platform::Screen& screen);
    // The objects as environment objects of `view`.
    ui::View withObjects(ui::View view);

    // Back to the first state: closed, no HUD, nothing playing, no lyrics, no weather, no
    // calendar access, no countdown, an empty tray, default settings and no live preview.
    void reset();
    // `track` standing `position` seconds in at the scenes' time 0, playing or paused.
    void play(const Track& track, double position, bool playing = true);
    // Nothing plays.
    void stop();
    // A square picture in warm colours, as artwork.
    static platform::Image samplePicture();
    static Track sampleTrack();
    static std::vector<LyricLine> sampleLyrics();

    // A screen without a notch, and a laptop's with one.
    static platform::Screen external();
    static platform::Screen notched();

    IslandState state;
    NowPlayingService& nowPlaying;
    LyricsService lyrics{nullptr};
    VolumeService& volume;
    HUDCenter hud;
    AgentService agents{nullptr};
    TimerService timer;
    TrayStore tray;
    WeatherService weather;
    CalendarService calendar{nullptr, nullptr};

private:
    IslandWorld();
    std::optional<AudioOutput> firstOutput_;
};

inline platform::Screen externalScreen() { return IslandWorld::external(); }
inline platform::Screen notchedScreen() { return IslandWorld::notched(); }

// The island over `screen` once `setUp` has changed the resting world.
inline ui::View islandScene(const platform::Screen& screen, const std::function<void(IslandWorld&)>& setUp) {
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    setUp(world);
    return world.island(screen);
}

// Room for the widest expanded island (600 points and its flares) with its shadow.
inline constexpr Size expandedPanel{680, 230};

// The expanded island `width` points wide over a notch, on `tab`, with the sample track
// playing and its lyrics found, once `setUp` has changed that world.
ui::View expandedIsland(double width, IslandTab tab, const std::function<void(IslandWorld&)>& setUp = {});

}  // namespace quorlix::snapshot
