// One frame of the settings window on the General pane at 2x while the user drags the width
// slider: the pointer moves, the live value and the island's preview change, and the window
// is laid out and drawn again.

#include "foundation/app_settings.h"
#include "isolated_settings.h"
#include "panel_image.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/platform.h"
#include "scoped_platform.h"
#include "settings/settings_view.h"
#include "settings/user_profile.h"
#include "ui/event_router.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

// Keeps nothing: the slider's commits never fall due while the drag goes on.
class IdleQueue final : public platform::MainQueue {
protected:
    void schedule(double, std::shared_ptr<platform::Job>) override {}
    void scheduleUptime(double, std::shared_ptr<platform::Job>) override {}
};

// `whole`: each frame built, laid out and drawn whole, as before frames cost what changed.
void sliderFrames(benchmark::State& state, bool whole) {
    qt::ensureGuiApplication();
    bench::isolateSettings();
    IdleQueue queue;
    platform::SystemClock clock;
    platform::Platform p;
    p.mainQueue = &queue;
    p.clock = &clock;
    const bench::ScopedPlatform installed(p);

    SettingsSelection selection;
    UserProfile& profile = UserProfile::shared();
    profile.name = "Ana María Gómez";
    const EnvironmentValues environment =
        EnvironmentValues{}.settingObject(AppSettings::shared()).settingObject(profile);
    const Size size{SettingsView::width, SettingsView::height};
    ViewGraph graph(qt::QtFontEngine::shared());
    EventRouter router([&]() -> const DisplayItem& { return graph.shown(); });
    // One root view for the window's life, as the window keeps it.
    const View root = SettingsView{&selection};
    const auto frame = [&] {
        graph.update(root, size, environment, {clock.now(), clock.date()});
        graph.present(clock.now());
    };
    frame();
    // Down to the size block, then a press on the width slider.
    for (int i = 0; i < 12; ++i) {
        router.scrolled({400, 360}, 0, -40);
        frame();
    }
    // The scroll's spring settles first (on the real clock): its last sub-pixel steps would
    // repaint the whole pane at every frame measured.
    while (graph.isAnimating()) frame();
    const DisplayItem* fill = graph.shown().findId("slider-fill");
    if (!fill) {
        state.SkipWithError("no size slider");
        return;
    }
    const Rect track = graph.shown().drawnFrame(fill);
    router.pointerPressed({track.minX() + 40, track.midY()});
    frame();
    while (graph.isAnimating()) frame();

    bench::Window window(size, 2);
    window.show(graph.shownList());
    int step = 0;
    double pixels = 0, views = 0;
    for (auto _ : state) {
        router.pointerMoved({track.minX() + 40 + (step++ % 200), track.midY()});
        if (whole) graph.invalidation().invalidate();
        frame();
        views += static_cast<double>(graph.evaluatedViews());
        if (whole)
            window.showWhole(graph.shown());
        else
            pixels += window.show(graph.shownList());
    }
    if (!whole) state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
    state.counters["bodies"] = benchmark::Counter(views, benchmark::Counter::kAvgIterations);
    router.pointerReleased({track.minX() + 40, track.midY()});
}

void BM_GeneralPaneWhileASizeSliderMoves(benchmark::State& state) { sliderFrames(state, false); }
BENCHMARK(BM_GeneralPaneWhileASizeSliderMoves)->Unit(benchmark::kMillisecond);

void BM_GeneralPaneWhileASizeSliderMovesWhole(benchmark::State& state) { sliderFrames(state, true); }
BENCHMARK(BM_GeneralPaneWhileASizeSliderMovesWhole)->Unit(benchmark::kMillisecond);

}  // namespace
