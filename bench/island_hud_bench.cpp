// The closed island's HUDs and its live activity as the panel draws them at 2x, over a
// 187 by 32 notch: each HUD's first frame (a new tree, every pop-in on its way in, blurred),
// each HUD's frame once it has settled, and one entry of the live island's equalizer.

#include "isolated_settings.h"
#include "panel_image.h"
#include "snapshot/island_world.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

constexpr Size panel{920, 340};
constexpr double scale = 2;
// Frames are drawn on a date of today's order, so the clock's phases are realistic.
constexpr double today = 1'780'000'000;

// The island's objects, on no backends, with the default settings: the settings are read
// from a folder of the benchmark's own.
snapshot::IslandWorld& world() {
    static snapshot::IslandWorld* world = [] {
        bench::isolateSettings();
        return &snapshot::IslandWorld::shared();
    }();
    return *world;
}

View island() { return world().island(snapshot::notchedScreen()); }

struct HUD {
    const char* name;
    HUDContent content;
    bool detail = false;
};

const std::vector<HUD>& huds() {
    using Tint = IslandAlert::Tint;
    static const std::vector<HUD> all{
        {"volume", HUDContent::volume(0.62f, false)},
        {"brightness", HUDContent::brightness(0.7f)},
        {"battery", HUDContent::battery({78, true, true})},
        {"device", HUDContent::device({"AirPods Pro", AudioDeviceInfo::Kind::airpodsPro, {80, 60, 40, {}}})},
        {"deviceDetail",
         HUDContent::device({"AirPods Pro", AudioDeviceInfo::Kind::airpodsPro, {80, 60, 40, {}}}), true},
        {"output", HUDContent::output({2, "AirPods Pro de Ana", AudioOutput::bluetooth})},
        {"alert", HUDContent::alert({"calendar", "Junta con el equipo", Tint::calendar, "5 min", true})},
        {"alertCompact", HUDContent::alert({"moon.fill", "Sí", Tint::focus, {}, false, true})},
    };
    return all;
}

QImage panelImage() { return bench::panelImage(panel, scale); }

void draw(QImage& image, const DisplayItem& list) { bench::draw(image, list, scale); }

// Renders at `t`, then again for what the views change as they appear.
void render(ViewGraph& graph, double t) {
    graph.update(island(), panel, {}, {t, Date(today + t)});
    while (graph.needsUpdate()) graph.update(island(), panel, {}, {t, Date(today + t)});
}

// Renders the island every `interval` seconds, well after it appeared (all of it again with
// `everything`, else what its timelines ask for), and draws what changed.
void renderAgain(benchmark::State& state, double interval, bool everything) {
    ViewGraph graph(qt::QtFontEngine::shared());
    render(graph, 0);
    bench::Window window(panel, scale);
    window.show(graph.shownList());
    double t = 5;
    for (auto _ : state) {
        t += interval;
        if (everything) graph.invalidation().invalidate();
        render(graph, t);
        graph.present(t);
        window.show(graph.shownList());
    }
    state.counters["views"] = static_cast<double>(graph.displayList().count());
}

void show(const HUD& hud) {
    world().hud.current = hud.content;
    world().hud.deviceDetail = hud.detail;
}

// A new tree for the HUD, shown as it stands 0.3 s in: every part has begun to pop in and
// is still blurred.
void BM_HUDFirstFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    const HUD& hud = huds().at(static_cast<std::size_t>(state.range(0)));
    show(hud);
    QImage image = panelImage();
    for (auto _ : state) {
        ViewGraph graph(qt::QtFontEngine::shared());
        render(graph, 0);
        draw(image, graph.present(0.3));
    }
    state.SetLabel(hud.name);
}
BENCHMARK(BM_HUDFirstFrame)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// The HUD at rest, rendered again whole: every view evaluated, the list compared, nothing
// drawn.
void BM_HUDSettledFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    const HUD& hud = huds().at(static_cast<std::size_t>(state.range(0)));
    show(hud);
    renderAgain(state, 1.0 / 60, true);
    state.SetLabel(hud.name);
}
BENCHMARK(BM_HUDSettledFrame)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// One entry of the playing equalizer on the resting live island: the timeline's next entry
// evaluates its bars again and the bars are drawn.
void BM_LiveEqualizerEntry(benchmark::State& state) {
    qt::ensureGuiApplication();
    snapshot::IslandWorld& w = world();
    w.reset();
    w.nowPlaying.isPlaying = true;
    w.nowPlaying.liveVisible = true;
    w.nowPlaying.artwork = platform::Image::fromRGBA(64, 64, std::vector<std::uint8_t>(64 * 64 * 4, 200));
    renderAgain(state, 1.0 / 30, false);
    w.reset();
}
BENCHMARK(BM_LiveEqualizerEntry)->Unit(benchmark::kMillisecond);

}  // namespace
