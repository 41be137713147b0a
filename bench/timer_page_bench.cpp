// A frame of the running countdown on the expanded island's timer page, as the window draws
// it: the island over a notch, 343 points wide, at 2x in its 680 × 230 point panel, repainted
// where the frame differs from the one shown. A running countdown makes two kinds of frame:
// the second's entry (the page's timeline evaluated again, the time's new digits and the
// ring's new arc set easing) and, in between, the frames of the ring's one-second easing.

#include "isolated_settings.h"
#include "panel_image.h"
#include "snapshot/island_world.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;
using snapshot::IslandWorld;

constexpr Size panel = snapshot::expandedPanel;
constexpr double scale = 2;

// The island open on the timer page over a countdown of 25 minutes running since the date 0,
// shown in a window once its entrances have settled.
struct RunningCountdown {
    View island;
    ViewGraph graph{qt::QtFontEngine::shared()};
    bench::Window window{panel, scale};
    double t = 3;

    RunningCountdown() {
        qt::ensureGuiApplication();
        bench::isolateSettings();
        island = snapshot::expandedIsland(343, IslandTab::timer, [](IslandWorld& world) {
            world.timer.total = 1500;
            world.timer.endDate = Date(1500);
        });
        render();
        for (int i = 0; i < 8 && graph.needsUpdate(); ++i) render();
        show();
    }
    void render() { graph.update(island, panel, {}, {t, Date(t)}); }
    // Presents the frame at `t` and repaints what changed; answers the pixels repainted.
    double show() {
        graph.present(t);
        return window.show(graph.shownList());
    }
};

void BM_TimerPageSecond(benchmark::State& state) {
    RunningCountdown countdown;
    double pixels = 0, bodies = 0;
    for (auto _ : state) {
        countdown.t += 1;
        countdown.render();
        pixels += countdown.show();
        bodies += static_cast<double>(countdown.graph.evaluatedViews());
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
    state.counters["bodies"] = benchmark::Counter(bodies, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TimerPageSecond)->Unit(benchmark::kMillisecond);

// Frames at 60 a second; the second's entries, when due, are rendered out of the measure.
void BM_TimerPageEasingFrame(benchmark::State& state) {
    RunningCountdown countdown;
    double pixels = 0;
    for (auto _ : state) {
        countdown.t += 1.0 / 60;
        if (const auto due = countdown.graph.nextUpdate(); due && *due <= countdown.t) {
            state.PauseTiming();
            countdown.render();
            state.ResumeTiming();
        }
        pixels += countdown.show();
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TimerPageEasingFrame)->Unit(benchmark::kMillisecond);

}  // namespace
