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

void BM_GeneralPaneWhileASizeSliderMoves(benchmark::State& state) {
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
    const auto frame = [&] {
        graph.update(SettingsView{&selection}, size, environment, {clock.now(), clock.date()});
        graph.present(clock.now());
    };
    frame();
    // Down to the size block, then a press on the width slider.
    for (int i = 0; i < 12; ++i) {
        router.scrolled({400, 360}, 0, -40);
        frame();
    }
    const DisplayItem* fill = graph.shown().findId("slider-fill");
    if (!fill) {
        state.SkipWithError("no size slider");
        return;
    }
    const Rect track = graph.shown().drawnFrame(fill);
    router.pointerPressed({track.minX() + 40, track.midY()});
    frame();

    bench::Window window(size, 2);
    window.show(graph.shownList());
    int step = 0;
    for (auto _ : state) {
        router.pointerMoved({track.minX() + 40 + (step++ % 200), track.midY()});
        frame();
        benchmark::DoNotOptimize(window.show(graph.shownList()));
    }
    router.pointerReleased({track.minX() + 40, track.midY()});
}
BENCHMARK(BM_GeneralPaneWhileASizeSliderMoves)->Unit(benchmark::kMillisecond);

}  // namespace
