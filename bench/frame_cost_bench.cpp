// What one frame of the island costs as the window draws it: the views concerned evaluated
// again, the list compared with the one shown, and the region that changed repainted into the
// window's kept buffer, at 2x in the 920 × 340 point panel. Each benchmark has a twin ending in
// `Whole` that renders the same frame the way every frame was rendered before the damaged
// path: the whole tree built and laid out again, and the whole panel cleared and drawn.
//
// The trees are built from the view layer's primitives in the shapes of the island's views
// (bench_trees.h): the expanded island with a progress row that ticks once a second, and the
// resting live activity with an equalizer of four bars at 30 frames a second.
//
// Run pinned to one core: `taskset -c 2 build/bench/bench/quorlix_bench --benchmark_filter=Frame`.

#include "bench_trees.h"
#include "panel_image.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>

namespace {

using namespace quorlix;
using namespace quorlix::ui;
using namespace quorlix::bench;

constexpr Size panel{920, 340};
constexpr double scale = 2;

// A tree kept rendered into a window, its first frame shown, on its own clock.
struct Session {
    explicit Session(View view) : root(std::move(view)), graph(qt::QtFontEngine::shared()) {
        graph.update(root, panel, {}, now());
        window.show(graph.shownList());
    }
    FrameTime now() const { return {t, Date(t)}; }
    // `seconds` later: renders what was asked, presents, and shows; answers the pixels repainted.
    double next(double seconds) {
        t += seconds;
        graph.update(root, panel, {}, now());
        return present();
    }
    double present() {
        graph.present(t);
        return window.show(graph.shownList());
    }

    View root;
    ViewGraph graph;
    Window window{panel, scale};
    double t = 100;
};

// The expanded island whose progress row is a timeline with an entry a second.
struct TickingIsland {
    platform::Image art = artwork();
    View build() const {
        const View row = TimelineView(TimelineSchedule::periodic(Date(0), 1), [](const TimelineContext& t) {
            const int elapsed = static_cast<int>(t.date.secondsSince1970) % 235;
            return progressBar(elapsed / 235.0, elapsed);
        });
        return expandedIsland(art, 640, 190, 14, &row);
    }
};

// One tick of the progress row of a settled expanded island.
void BM_FrameProgressTick(benchmark::State& state) {
    qt::ensureGuiApplication();
    Session session(TickingIsland{}.build());
    double pixels = 0, views = 0;
    for (auto _ : state) {
        pixels += session.next(1);
        views += static_cast<double>(session.graph.evaluatedViews());
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
    state.counters["bodies"] = benchmark::Counter(views, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FrameProgressTick)->Unit(benchmark::kMillisecond);

void BM_FrameProgressTickWhole(benchmark::State& state) {
    qt::ensureGuiApplication();
    const TickingIsland island;
    ViewGraph graph(qt::QtFontEngine::shared());
    Window window(panel, scale);
    double t = 100;
    for (auto _ : state) {
        t += 1;
        window.showWhole(graph.update(island.build(), panel, {}, {t, Date(t)}));
    }
}
BENCHMARK(BM_FrameProgressTickWhole)->Unit(benchmark::kMillisecond);

// The resting island's live activity with its equalizer in a timeline of 30 entries a second.
View restingIsland(const platform::Image& art) {
    return restingActivity(
        art, TimelineView(TimelineSchedule::animation(1.0 / 30),
                          [](const TimelineContext& t) { return equalizer(t.date.secondsSince1970); }));
}

// One entry of the equalizer.
void BM_FrameEqualizerEntry(benchmark::State& state) {
    qt::ensureGuiApplication();
    const platform::Image art = artwork();
    Session session(restingIsland(art));
    double pixels = 0;
    for (auto _ : state) pixels += session.next(1.0 / 30);
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FrameEqualizerEntry)->Unit(benchmark::kMillisecond);

void BM_FrameEqualizerEntryWhole(benchmark::State& state) {
    qt::ensureGuiApplication();
    const platform::Image art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    Window window(panel, scale);
    double t = 100;
    for (auto _ : state) {
        t += 1.0 / 30;
        window.showWhole(graph.update(restingIsland(art), panel, {}, {t, Date(t)}));
    }
}
BENCHMARK(BM_FrameEqualizerEntryWhole)->Unit(benchmark::kMillisecond);

// The island springing open from its resting pill to the expanded island: one rebuild when it
// opens, then a frame every 1/60 s until it settles, each drawn where it changed. A frame's
// cost is the spring's cost over its frames.
struct Island : ObservableObject {
    Published<bool> open{this, false};
};

struct SpringingIsland {
    Island* island;
    const platform::Image* art;
    View body(Context& ctx) const {
        ctx.observe(*island);
        const bool open = island->open.get();
        const View shown = open ? expandedIsland(*art) : expandedIsland(*art, 230, 32, 6);
        return shown.animation(Animation::spring(0.34, 0.82), open);
    }
};

// `whole`: each frame drawn whole, as before the damaged path.
void springOpen(benchmark::State& state, bool whole) {
    qt::ensureGuiApplication();
    const platform::Image art = artwork();
    Island island;
    Session session(View(SpringingIsland{&island, &art}));
    auto show = [&] {
        if (whole)
            session.window.showWhole(session.graph.present(session.t));
        else
            session.present();
    };
    int frames = 0;
    for (auto _ : state) {
        session.t += 1.0 / 60;
        if (!session.graph.isAnimating()) {
            if (island.open.get()) {
                // Closed again at once, out of the measure.
                state.PauseTiming();
                island.open = false;
                withTransaction({nullptr, true}, [&] { session.graph.invalidate(island); });
                session.next(1.0 / 60);
                state.ResumeTiming();
            }
            withAnimation(std::nullopt, [&] {
                island.open = true;
                session.graph.invalidate(island);
            });
            session.graph.update(session.root, panel, {}, session.now());
        }
        show();
        ++frames;
    }
    state.counters["frames"] = frames;
}

void BM_FrameIslandOpenSpring(benchmark::State& state) { springOpen(state, false); }
BENCHMARK(BM_FrameIslandOpenSpring)->Unit(benchmark::kMillisecond);

void BM_FrameIslandOpenSpringWhole(benchmark::State& state) { springOpen(state, true); }
BENCHMARK(BM_FrameIslandOpenSpringWhole)->Unit(benchmark::kMillisecond);

// A render that changes nothing shown (a state set to the value it had): compared, not drawn.
struct Titled : ObservableObject {
    Published<int> seconds{this, 84};
};

void BM_FrameUnchanged(benchmark::State& state) {
    qt::ensureGuiApplication();
    Titled model;
    const platform::Image art = artwork();
    struct Root {
        Titled* model;
        const platform::Image* art;
        View body(Context& ctx) const {
            ctx.observe(*model);
            const View row = progressBar(model->seconds.get() / 235.0, model->seconds.get());
            return expandedIsland(*art, 640, 190, 14, &row);
        }
    };
    Session session(View(Root{&model, &art}));
    double pixels = 0;
    for (auto _ : state) {
        model.seconds = model.seconds.get();
        session.graph.invalidate(model);
        pixels += session.next(1.0 / 60);
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FrameUnchanged)->Unit(benchmark::kMillisecond);

}  // namespace
