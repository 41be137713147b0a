// Layout plus render of a tree the size of the expanded island (about 150 views, with text,
// symbols, a clipped artwork and shadows) at 2x, as one frame of the island costs; and the
// same tree animating, every view on the move.

#include "bench_trees.h"
#include "panel_image.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;
using namespace quorlix::bench;

constexpr Size panel{720, 260};
constexpr double scale = 2;

QImage panelImage() { return bench::panelImage(panel, scale); }

void draw(QImage& image, const DisplayItem& list) { bench::draw(image, list, scale); }

void BM_LayoutAndRender(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    for (auto _ : state) draw(image, graph.update(expandedIsland(art), panel));
    state.counters["views"] = static_cast<double>(graph.displayList().count());
}
BENCHMARK(BM_LayoutAndRender)->Unit(benchmark::kMillisecond);

void BM_LayoutOnly(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    for (auto _ : state) {
        graph.update(expandedIsland(art), panel);
        benchmark::DoNotOptimize(graph.displayList().count());
    }
}
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMillisecond);

// A full animated frame: the island gets a new size and outline inside a spring, so the tree
// is built and laid out again, every view's frame (and the outline's radii) is retargeted with
// its velocity kept, and the frame is presented half a frame later and drawn.
void BM_AnimatedFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    graph.update(expandedIsland(art), panel);
    double t = 0;
    bool wide = false;
    std::size_t moving = 0;
    for (auto _ : state) {
        t += 1.0 / 60;
        wide = !wide;
        withAnimation(Animation::spring(0.3, 0.7), [&] { graph.invalidation().invalidate(); });
        graph.update(expandedIsland(art, wide ? 640 : 600, wide ? 190 : 170, wide ? 14 : 10), panel, {},
                     {t, Date(t)});
        const DisplayItem& shown = graph.present(t + 1.0 / 120);
        draw(image, shown);
        moving = graph.isAnimating() ? shown.count() : 0;
    }
    state.counters["views"] = static_cast<double>(moving);
}
BENCHMARK(BM_AnimatedFrame)->Unit(benchmark::kMillisecond);

// A frame of that animation between renders: sampled and drawn, nothing rebuilt.
void BM_AnimationStep(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    graph.update(expandedIsland(art, 600, 170, 10), panel);
    withAnimation(Animation::linear(1e6), [&] { graph.invalidation().invalidate(); });
    graph.update(expandedIsland(art), panel, {}, {0});
    double t = 0;
    for (auto _ : state) {
        t += 1.0 / 60;
        draw(image, graph.present(t));
    }
}
BENCHMARK(BM_AnimationStep)->Unit(benchmark::kMillisecond);

}  // namespace
