// Frames of the lock screen at 2x, each drawn where it changed into the window's kept buffer: the card while
// its title scrolls, the 1440 × 900 full-artwork view while the lyrics run, and that view when the clock's
// minute changes.

#include "foundation/app_settings.h"
#include "isolated_settings.h"
#include "panel_image.h"
#include "platform/platform.h"
#include "services/battery_service.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"
#include "window/full_artwork_lock_view.h"
#include "window/lock_screen_card.h"

#include <benchmark/benchmark.h>

#include <optional>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

constexpr double scale = 2;

// What the lock-screen windows hand down, with a long title playing, its artwork and lyrics.
struct LockWorld {
    struct InlineQueue final : platform::SerialQueue {
        void async(std::function<void()> job) override { job(); }
    } queue;
    NowPlayingService nowPlaying{platform::Platform{}, queue};
    LyricsService lyrics{nullptr};
    VolumeService volume{nullptr};
    WeatherService weather;
    BatteryService battery{nullptr};
    LockScreenInfo info;

    LockWorld() {
        nowPlaying.track = Track{
            "music:1", "Luz de neón (Remix con nombre largo)", "Neón Club", "", 196, PlayerSource::music};
        nowPlaying.isPlaying = true;
        std::vector<std::uint8_t> rgba;
        for (int i = 0; i < 600 * 600; ++i)
            rgba.insert(rgba.end(), {static_cast<std::uint8_t>(i % 251),
                                     static_cast<std::uint8_t>(i / 600 % 253), 120, 255});
        nowPlaying.artwork = platform::Image::fromRGBA(600, 600, std::move(rgba));
        std::vector<LyricLine> lines;
        for (int i = 0; i < 40; ++i)
            lines.push_back(
                {2.5 * i, std::string("Las calles brillan de color, verso ").append(std::to_string(i))});
        lyrics.lines = lines;
        lyrics.status = LyricsService::Status::found;
    }
    static LockWorld& shared() {
        bench::isolateSettings();  // the defaults, never the user's
        static LockWorld world;
        return world;
    }
    View window(View view) {
        return view.environmentObject(nowPlaying)
            .environmentObject(lyrics)
            .environmentObject(AppSettings::shared())
            .environmentObject(volume)
            .environmentObject(weather)
            .environmentObject(battery)
            .environmentObject(info)
            .colorScheme(ColorScheme::dark);
    }
};

// A frame of the card between renders: the title slides on, nothing is built again.
void BM_CardMarqueeFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    LockWorld& world = LockWorld::shared();
    const Size size{339, 185};
    ViewGraph graph(qt::QtFontEngine::shared());
    const View card = world.window(LockScreenCard{});
    for (int i = 0; i < 4; ++i) graph.update(card, size, {}, {0, Date(0)});
    bench::Window window(size, scale);
    window.show(graph.shownList());
    double pixels = 0;
    double t = 2;  // past the marquee's pause
    for (auto _ : state) {
        t += 1.0 / 60;
        graph.present(t);
        pixels += window.show(graph.shownList());
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CardMarqueeFrame)->Unit(benchmark::kMillisecond);

// A tick of the lyrics column: the view rendered for a new playback time, presented, drawn.
void BM_FullArtworkLyricsFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    LockWorld& world = LockWorld::shared();
    const Size size{1440, 900};
    ViewGraph graph(qt::QtFontEngine::shared());
    const View full = world.window(FullArtworkLockView{.info = &world.info, .showingLyrics = true});
    for (int i = 0; i < 4; ++i) graph.update(full, size, {}, {0, Date(10)});
    bench::Window window(size, scale);
    window.show(graph.shownList());
    double pixels = 0;
    double t = 0;
    for (auto _ : state) {
        t += 1.0 / 30;
        graph.update(full, size, {}, {t, Date(10 + t)});
        graph.present(t);
        pixels += window.show(graph.shownList());
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullArtworkLyricsFrame)->Unit(benchmark::kMillisecond);

// The clock's minute: the paused view rendered for the next minute, presented and drawn
// (`frames` 1), or that and the frames of the second that follows, while the digits roll, at 60
// a second. A short title, so the card's scrolling title does not count. `whole`: the view built
// and laid out whole for the minute, and every frame drawn whole, as before frames cost what
// changed.
void clockMinutes(benchmark::State& state, bool whole, int frames) {
    qt::ensureGuiApplication();
    LockWorld& world = LockWorld::shared();
    const std::optional<Track> playing = world.nowPlaying.track.get();
    world.nowPlaying.track = Track{"music:2", "Luz", "Neón Club", "", 196, PlayerSource::music};
    world.nowPlaying.isPlaying = false;
    const Size size{1440, 900};
    ViewGraph graph(qt::QtFontEngine::shared());
    const View full = world.window(FullArtworkLockView{.info = &world.info});
    for (int i = 0; i < 4; ++i) graph.update(full, size, {}, {0, Date(0)});
    bench::Window window(size, scale);
    window.show(graph.shownList());
    double pixels = 0;
    double minute = 0;
    for (auto _ : state) {
        minute += 60;
        if (whole) graph.invalidation().invalidate();
        graph.update(full, size, {}, {minute, Date(minute)});
        for (int frame = 0; frame < frames; ++frame) {
            graph.present(minute + frame / 60.0);
            if (whole)
                window.showWhole(graph.shown());
            else
                pixels += window.show(graph.shownList());
        }
    }
    if (!whole) state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
    world.nowPlaying.isPlaying = true;
    world.nowPlaying.track = playing;
}

void BM_ClockMinuteChange(benchmark::State& state) { clockMinutes(state, false, 1); }
BENCHMARK(BM_ClockMinuteChange)->Unit(benchmark::kMillisecond);

void BM_ClockMinuteChangeWhole(benchmark::State& state) { clockMinutes(state, true, 1); }
BENCHMARK(BM_ClockMinuteChangeWhole)->Unit(benchmark::kMillisecond);

void BM_ClockMinuteRoll(benchmark::State& state) { clockMinutes(state, false, 60); }
BENCHMARK(BM_ClockMinuteRoll)->Unit(benchmark::kMillisecond);

void BM_ClockMinuteRollWhole(benchmark::State& state) { clockMinutes(state, true, 60); }
BENCHMARK(BM_ClockMinuteRollWhole)->Unit(benchmark::kMillisecond);

}  // namespace
