// The file tray under a large drop and with many files: what a drop of 500 or 2000 files holds
// the main thread for (the tray's change and its save, settings in a folder of their own), what
// a drop of one file holds it for when the tray fills a settings file of 20 or 70 MiB (and the
// settings' own share of that change), what emptying such a tray holds it for, and
// what the expanded island costs on the tray page holding 3 or 100 files at 2x in the
// 920 × 340 panel: its first frame, and a frame after the tray changed.

#include "isolated_settings.h"
#include "panel_image.h"
#include "platform/clock.h"
#include "platform/item_provider.h"
#include "platform/main_queue.h"
#include "platform/platform.h"
#include "platform/user_defaults.h"
#include "snapshot/island_world.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <deque>

namespace {

using namespace quorlix;
using namespace quorlix::ui;
using snapshot::IslandWorld;

// Runs what is posted when asked, in order.
class PostedQueue final : public platform::MainQueue {
public:
    void runPosted() {
        while (!jobs_.empty()) {
            auto job = std::move(jobs_.front());
            jobs_.pop_front();
            job->run();
        }
    }

protected:
    void schedule(double, std::shared_ptr<platform::Job> job) override { jobs_.push_back(std::move(job)); }
    void scheduleUptime(double, std::shared_ptr<platform::Job> job) override {
        jobs_.push_back(std::move(job));
    }

private:
    std::deque<std::shared_ptr<platform::Job>> jobs_;
};

// One drop of `range(0)` files onto an empty tray, until the tray holds them; the settings file
// is written out between drops, outside the time measured.
void BM_TrayDrop(benchmark::State& state) {
    bench::isolateSettings();
    PostedQueue queue;
    platform::SystemClock clock;
    const platform::Platform before = platform::installed();
    platform::Platform p = before;
    p.mainQueue = &queue;
    p.clock = &clock;
    platform::install(p);
    const auto files = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::shared_ptr<platform::ItemProvider>> drop;
        for (int i = 0; i < files; ++i)
            drop.push_back(std::make_shared<platform::URLItemProvider>(
                "file:///home/ana/Descargas/fotos%20del%20viaje/IMG_" + std::to_string(10000 + i) + ".jpg"));
        auto tray = std::make_unique<TrayStore>();
        tray->clear();
        state.ResumeTiming();

        tray->add(drop);
        queue.runPosted();
        benchmark::DoNotOptimize(tray->items.get().size());

        state.PauseTiming();
        if (tray->items.get().size() != static_cast<std::size_t>(files)) state.SkipWithError("files missing");
        tray.reset();
        platform::UserDefaults::standard().flush();  // on disk before the next drop
        state.ResumeTiming();
    }
    platform::install(before);
}
BENCHMARK(BM_TrayDrop)->Arg(500)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);

// A file in a deep folder of long names (Spanish, two bytes a letter), whose address takes
// about 1.8 KB: the tray a settings file of a given size holds.
std::filesystem::path longNamedFile(int i) {
    std::string letters;
    for (int k = 0; k < 100; ++k) letters += "ñ";
    return "/home/ana/" + letters + "/" + letters + "/" + letters + "-" + std::to_string(i) + ".txt";
}

// The files of a tray that fills a settings file of `mib` MiB.
std::vector<std::filesystem::path> largeTray(std::int64_t mib) {
    const auto size = static_cast<std::size_t>(mib) << 20;
    const auto files = size / (TrayStore::fileURL(longNamedFile(0)).size() + 8);
    std::vector<std::filesystem::path> paths;
    for (std::size_t i = 0; i < files; ++i) paths.push_back(longNamedFile(static_cast<int>(i)));
    return paths;
}

// One file dropped onto a tray that fills a settings file of `range(0)` MiB: what the change
// holds the main thread for (the tray's change and its save). The settings file is written out
// between drops, outside the time measured.
void BM_TrayChangeWithLargeSettings(benchmark::State& state) {
    bench::isolateSettings();
    const auto paths = largeTray(state.range(0));
    auto tray = std::make_unique<TrayStore>();
    tray->clear();
    tray->add(paths);
    auto& defaults = platform::UserDefaults::standard();
    defaults.flush();
    auto next = static_cast<int>(paths.size());
    for (auto _ : state) {
        tray->add(std::vector{longNamedFile(next++)});
        state.PauseTiming();
        defaults.flush();
        state.ResumeTiming();
    }
    state.counters["settings MiB"] =
        static_cast<double>(std::filesystem::file_size(defaults.file())) / (1 << 20);
    tray->clear();
    defaults.flush();
}
BENCHMARK(BM_TrayChangeWithLargeSettings)->Arg(20)->Arg(70)->Iterations(10)->Unit(benchmark::kMillisecond);

// A tray that fills a settings file of `range(0)` MiB emptied: what the change holds the main
// thread for, its files let go of included. Filled again between runs, outside the time
// measured.
void BM_TrayClearWithLargeSettings(benchmark::State& state) {
    bench::isolateSettings();
    const auto paths = largeTray(state.range(0));
    auto tray = std::make_unique<TrayStore>();
    auto& defaults = platform::UserDefaults::standard();
    for (auto _ : state) {
        state.PauseTiming();
        tray->add(paths);
        defaults.flush();
        state.ResumeTiming();
        tray->clear();
        state.PauseTiming();
        defaults.flush();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TrayClearWithLargeSettings)->Arg(20)->Iterations(5)->Unit(benchmark::kMillisecond);

// The settings' own share of that change: the tray's new addresses, made beforehand, stored
// (checked, and handed to the writing thread).
void BM_SettingsChangeWithLargeTray(benchmark::State& state) {
    bench::isolateSettings();
    const auto size = static_cast<std::size_t>(state.range(0)) << 20;
    const std::string address = TrayStore::fileURL(longNamedFile(0));
    auto& defaults = platform::UserDefaults::standard();
    auto tray = std::make_shared<platform::UserDefaults::Value>(platform::UserDefaults::Value::array());
    while (tray->size() < size / (address.size() + 8)) tray->push_back(address);
    defaults.setObject(TrayStore::key, std::move(tray));
    defaults.flush();
    for (auto _ : state) {
        state.PauseTiming();
        auto next = std::make_shared<platform::UserDefaults::Value>(*defaults.object(TrayStore::key));
        next->push_back(address);
        state.ResumeTiming();
        defaults.setObject(TrayStore::key, std::move(next));
        state.PauseTiming();
        defaults.flush();
        state.ResumeTiming();
    }
    defaults.removeObject(TrayStore::key);
    defaults.flush();
}
BENCHMARK(BM_SettingsChangeWithLargeTray)->Arg(20)->Arg(70)->Iterations(10)->Unit(benchmark::kMillisecond);

constexpr Size panel{920, 340};
constexpr double scale = 2;

// The world with the island open on the tray page holding `files` files.
IslandWorld& openTray(int files) {
    bench::isolateSettings();
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    world.state.expanded = true;
    world.state.tab = IslandTab::tray;
    std::vector<TrayItem> items;
    for (int i = 0; i < files; ++i)
        items.push_back(
            {"id-" + std::to_string(i), "/home/ana/Documentos/informe " + std::to_string(i) + ".pdf"});
    world.tray.items = std::move(items);
    return world;
}

// The first frame of the page: its tree built, laid out and drawn whole.
void BM_TrayPageFirstFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    IslandWorld& world = openTray(static_cast<int>(state.range(0)));
    const View island = world.island(IslandWorld::notched());
    bench::Window window(panel, scale);
    double t = 3;
    for (auto _ : state) {
        ViewGraph graph(qt::QtFontEngine::shared());
        graph.update(island, panel, {}, {t, Date(t)});
        window.showWhole(graph.present(t));
        t += 1.0 / 30;
    }
}
BENCHMARK(BM_TrayPageFirstFrame)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond);

// A frame after the tray changed (its page evaluated again), drawn where it differs.
void BM_TrayPageAfterAChange(benchmark::State& state) {
    qt::ensureGuiApplication();
    IslandWorld& world = openTray(static_cast<int>(state.range(0)));
    const View island = world.island(IslandWorld::notched());
    ViewGraph graph(qt::QtFontEngine::shared());
    bench::Window window(panel, scale);
    double t = 3;
    for (int i = 0; i < 8; ++i) graph.update(island, panel, {}, {t, Date(t)});
    window.show(graph.shownList());
    for (auto _ : state) {
        t += 1.0 / 30;
        graph.invalidate(world.tray);
        graph.update(island, panel, {}, {t, Date(t)});
        graph.present(t);
        benchmark::DoNotOptimize(window.show(graph.shownList()));
    }
}
BENCHMARK(BM_TrayPageAfterAChange)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
