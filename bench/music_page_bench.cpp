// The expanded island's music page as the island draws it, over a notch, with a track
// playing: the compact page (343 × 140) and the wide one (600 × 140, lyrics on), at 2x into
// the 920 × 340 panel. A full frame laid out and drawn; one timeline entry (the equalizer's or
// the lyrics' next frame, a thirtieth of a second on); and a frame of a page turn.

#include "foundation/app_settings.h"
#include "isolated_settings.h"
#include "panel_image.h"
#include "snapshot/island_world.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;
using snapshot::IslandWorld;

constexpr Size panel{920, 340};
constexpr double scale = 2;

// The world with the page open at `width`, its settings apart from the user's.
IslandWorld& openPage(double width) {
    bench::isolateSettings();
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    AppSettings::shared().islandWidth = width;
    world.state.expanded = true;
    world.play(IslandWorld::sampleTrack(), 83);
    world.lyrics.status = LyricsService::Status::found;
    world.lyrics.lines = IslandWorld::sampleLyrics();
    return world;
}

// The page open at the benchmark's width, rendered until the views' own changes on appearing
// have settled, and drawn into the panel's kept 2x buffer where frames differ, as the window
// draws it.
struct Page {
    IslandWorld& world;
    View island = world.island(IslandWorld::notched());
    ViewGraph graph{qt::QtFontEngine::shared()};
    bench::Window window{panel, scale};
    double t = 3;

    explicit Page(benchmark::State& state) : world(openPage(static_cast<double>(state.range(0)))) {
        state.SetLabel(state.range(0) < 560 ? "compact" : "wide, lyrics");
        render();
        for (int i = 0; i < 8 && graph.needsUpdate(); ++i) render();
    }
    void render() { graph.update(island, panel, {}, {t, Date(t)}); }
    void draw(double at) {
        graph.present(at);
        window.show(graph.shownList());
    }
};

void BM_MusicPageLayoutAndRender(benchmark::State& state) {
    qt::ensureGuiApplication();
    Page page(state);
    for (auto _ : state) {
        ViewGraph graph(qt::QtFontEngine::shared());
        graph.update(page.island, panel, {}, {page.t, Date(page.t)});
        page.window.showWhole(graph.present(page.t));
        page.t += 1.0 / 30;
    }
}
BENCHMARK(BM_MusicPageLayoutAndRender)->Arg(343)->Arg(600)->Unit(benchmark::kMillisecond);

// The next entry of the page's timelines: the same tree a thirtieth of a second later.
void BM_MusicPageTimelineEntry(benchmark::State& state) {
    qt::ensureGuiApplication();
    Page page(state);
    for (auto _ : state) {
        page.t += 1.0 / 30;
        page.render();
        page.draw(page.t);
    }
}
BENCHMARK(BM_MusicPageTimelineEntry)->Arg(343)->Arg(600)->Unit(benchmark::kMillisecond);

// A frame of a turn between the music and the weather page: the tab changes in a spring, the
// tree is built and laid out again and the frame is drawn half a frame later.
void BM_MusicPageTurnFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    Page page(state);
    bool music = true;
    for (auto _ : state) {
        page.t += 1.0 / 60;
        music = !music;
        withAnimation(Animation::spring(0.35, 0.85), [&] {
            page.world.state.tab = music ? IslandTab::music : IslandTab::weather;
            page.graph.invalidation().invalidate();
        });
        page.render();
        page.draw(page.t + 1.0 / 120);
    }
}
BENCHMARK(BM_MusicPageTurnFrame)->Arg(343)->Arg(600)->Unit(benchmark::kMillisecond);

}  // namespace
