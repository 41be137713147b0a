// The closed island's HUDs and its live activity as the panel draws them at 2x, over a
// 187 by 32 notch: each HUD's first frame (a new tree, every pop-in on its way in, blurred),
// each HUD's frame once it has settled, and one entry of the live island's equalizer.

#include "foundation/app_settings.h"
#include "island/island_root_view.h"
#include "platform/platform.h"
#include "services/agent_service.h"
#include "services/calendar_service.h"
#include "services/hud_center.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/volume_service.h"
#include "services/weather_service.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

constexpr Size panel{920, 340};
constexpr double scale = 2;
// Frames are drawn on a date of today's order, so the clock's phases are realistic.
constexpr double today = 1'780'000'000;

// The objects the island reads, on no backends, with the default settings: the settings are
// read from a folder of the benchmark's own.
struct World {
    struct InlineQueue final : platform::SerialQueue {
        void async(std::function<void()> job) override { job(); }
    } queue;
    NowPlayingService nowPlaying{platform::Platform{}, queue};
    HUDCenter hud;
    AgentService agents{nullptr};
    TimerService timer;
    VolumeService volume{nullptr};
    LyricsService lyrics{nullptr};
    TrayStore tray;
    WeatherService weather;
    CalendarService calendar{nullptr, nullptr};
    IslandState state;

    static World& shared() {
        static World* world = [] {
            const auto settings = std::filesystem::temp_directory_path() / "quorlix-bench";
            setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
            return new World;
        }();
        return *world;
    }
    View island() {
        platform::Screen screen;
        screen.frame = Rect(0, 0, 1512, 982);
        screen.safeAreaInsets.top = 32;
        screen.auxiliaryTopLeftArea = Rect(0, 950, 662.5, 32);
        screen.auxiliaryTopRightArea = Rect(849.5, 950, 662.5, 32);
        return islandTree(
            state, NotchGeometry(screen, false),
            {AppSettings::shared(), nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar});
    }
};

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

void draw(QImage& image, const DisplayItem& list) {
    image.fill(Qt::transparent);
    QPainter painter(&image);
    qt::QtCanvas canvas(painter, qt::QtFontEngine::shared(), scale, image.size());
    list.draw(canvas);
}

// Renders at `t`, then again for what the views change as they appear.
void render(ViewGraph& graph, World& world, double t) {
    graph.update(world.island(), panel, {}, {t, Date(today + t)});
    while (graph.needsUpdate()) graph.update(world.island(), panel, {}, {t, Date(today + t)});
}

void show(World& world, const HUD& hud) {
    world.hud.current = hud.content;
    world.hud.deviceDetail = hud.detail;
}

// A new tree for the HUD, shown as it stands 0.3 s in: every part has begun to pop in and
// is still blurred.
void BM_HUDFirstFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    World& world = World::shared();
    const HUD& hud = huds().at(static_cast<std::size_t>(state.range(0)));
    show(world, hud);
    QImage image(static_cast<int>(panel.width * scale), static_cast<int>(panel.height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ViewGraph graph(qt::QtFontEngine::shared());
        render(graph, world, 0);
        draw(image, graph.present(0.3));
    }
    state.SetLabel(hud.name);
}
BENCHMARK(BM_HUDFirstFrame)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// The HUD at rest, drawn again: a render of the whole tree and its frame.
void BM_HUDSettledFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    World& world = World::shared();
    const HUD& hud = huds().at(static_cast<std::size_t>(state.range(0)));
    show(world, hud);
    QImage image(static_cast<int>(panel.width * scale), static_cast<int>(panel.height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    ViewGraph graph(qt::QtFontEngine::shared());
    render(graph, world, 0);
    double t = 5;
    for (auto _ : state) {
        t += 1.0 / 60;
        graph.invalidation().invalidate();
        render(graph, world, t);
        draw(image, graph.present(t));
    }
    state.SetLabel(hud.name);
}
BENCHMARK(BM_HUDSettledFrame)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// One entry of the playing equalizer on the resting live island: the timeline's next entry
// renders the island again and the frame is drawn.
void BM_LiveEqualizerEntry(benchmark::State& state) {
    qt::ensureGuiApplication();
    World& world = World::shared();
    world.hud.current = std::nullopt;
    world.nowPlaying.isPlaying = true;
    world.nowPlaying.liveVisible = true;
    world.nowPlaying.artwork = platform::Image::fromRGBA(64, 64, std::vector<std::uint8_t>(64 * 64 * 4, 200));
    QImage image(static_cast<int>(panel.width * scale), static_cast<int>(panel.height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    ViewGraph graph(qt::QtFontEngine::shared());
    render(graph, world, 0);
    double t = 5;
    for (auto _ : state) {
        t += 1.0 / 30;
        graph.invalidation().invalidate();
        render(graph, world, t);
        draw(image, graph.present(t));
    }
    state.counters["views"] = static_cast<double>(graph.displayList().count());
    world.nowPlaying.isPlaying = false;
    world.nowPlaying.liveVisible = false;
}
BENCHMARK(BM_LiveEqualizerEntry)->Unit(benchmark::kMillisecond);

}  // namespace
