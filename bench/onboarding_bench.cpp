// Frames of a new user's onboarding window (460 × 560 at 1x, as on the resting-cost desktop)
// while its island demo moves: an entry of the demo's equalizer with the demo open, and a
// frame of the demo's spring as it opens and closes. Each is drawn as the window draws it,
// into the buffer it keeps where the frame differs; the `Whole` twins evaluate, lay out and
// draw the whole window at every frame.

#include "fakes/virtual_time.h"
#include "foundation/app_settings.h"
#include "isolated_settings.h"
#include "panel_image.h"
#include "scoped_platform.h"
#include "settings/island_demo.h"
#include "settings/onboarding_steps.h"
#include "settings/onboarding_view.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

class Onboarding {
public:
    Onboarding() : installed_(withTime()), window_(size, 1) {
        bench::isolateSettings();
        environment_ = EnvironmentValues{}.settingObject(AppSettings::shared());
        frame(clock_.now());
    }

    static constexpr Size size{OnboardingView::width, OnboardingView::height};

    // A frame at `now` as the window's host makes it; with `whole`, the whole window evaluated
    // and drawn again. Answers the pixels repainted.
    double frame(double now, bool whole = false) {
        clock_.setNow(now);
        // The demo's loop and the trust poll run when they fall due, unless held.
        if (!held) queue_.runPending();
        if (whole) graph_.invalidation().invalidate();
        if (whole || std::exchange(first_, false) || graph_.needsUpdate() ||
            (graph_.nextUpdate() && now >= *graph_.nextUpdate() - 1e-6))
            graph_.update(root_, size, environment_, {now, clock_.date()});
        graph_.present(now);
        if (whole) {
            window_.showWhole(graph_.shown());
            return size.width * size.height;
        }
        return window_.show(graph_.shownList());
    }
    // Holds the demo as it stands: its loop no longer runs.
    bool held = false;

    bool isAnimating() const { return graph_.isAnimating(); }
    double now() const { return clock_.now(); }

private:
    // The installed platform with the clock and queue of this window's time.
    platform::Platform withTime() {
        platform::Platform p = platform::installed();
        p.clock = &clock_;
        p.mainQueue = &queue_;
        return p;
    }

    fakes::ManualClock clock_;
    fakes::ManualMainQueue queue_{clock_};
    bench::ScopedPlatform installed_;
    ViewGraph graph_{qt::QtFontEngine::shared()};
    const View root_ = OnboardingView{false, [] {}, OnboardingSteps::welcome};
    EnvironmentValues environment_;
    bench::Window window_;
    bool first_ = true;
};

// The demo open and settled; then its equalizer's entries, 30 a second (the demo's loop does
// not run meanwhile, so it stays open).
void equalizerEntries(benchmark::State& state, bool whole) {
    qt::ensureGuiApplication();
    Onboarding onboarding;
    const double start = onboarding.now();
    double t = start + IslandDemoLoop::firstDelay;
    onboarding.frame(t);
    while (onboarding.isAnimating()) onboarding.frame(t += 1.0 / 60);
    onboarding.held = true;
    double pixels = 0;
    for (auto _ : state) pixels += onboarding.frame(t += 1.0 / 30, whole);
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}

// The demo's springs, 60 frames a second; once a spring settles, on to the loop's next change.
void springFrames(benchmark::State& state, bool whole) {
    qt::ensureGuiApplication();
    Onboarding onboarding;
    double next = onboarding.now() + IslandDemoLoop::firstDelay;
    double t = next;
    double pixels = 0;
    for (auto _ : state) {
        if (!onboarding.isAnimating()) {
            t = next;
            next += IslandDemoLoop::interval;
        } else {
            t += 1.0 / 60;
        }
        pixels += onboarding.frame(t, whole);
    }
    state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}

void BM_OnboardingDemoEqualizerEntry(benchmark::State& state) { equalizerEntries(state, false); }
BENCHMARK(BM_OnboardingDemoEqualizerEntry)->Unit(benchmark::kMillisecond);
void BM_OnboardingDemoEqualizerEntryWhole(benchmark::State& state) { equalizerEntries(state, true); }
BENCHMARK(BM_OnboardingDemoEqualizerEntryWhole)->Unit(benchmark::kMillisecond);

void BM_OnboardingDemoSpringFrame(benchmark::State& state) { springFrames(state, false); }
BENCHMARK(BM_OnboardingDemoSpringFrame)->Unit(benchmark::kMillisecond);
void BM_OnboardingDemoSpringFrameWhole(benchmark::State& state) { springFrames(state, true); }
BENCHMARK(BM_OnboardingDemoSpringFrameWhole)->Unit(benchmark::kMillisecond);

}  // namespace
