#include "snapshot/island_world.h"
#include "snapshot/scene.h"
#include "snapshot/scene_audio.h"

#include "foundation/app_settings.h"
#include "island/live_preview.h"
#include "ui/views.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quorlix::snapshot {

namespace {

// Three output devices; writes change nothing.
class SceneAudio final : public platform::AudioHardware {
public:
    struct Device {
        platform::AudioDeviceID id;
        std::string name;
        std::uint32_t transport;
    };
    std::vector<Device> list{{1, "Bocinas MacBook Pro", AudioOutput::builtIn},
                             {2, "AirPods Pro de Ana", AudioOutput::bluetooth},
                             {3, "Pantalla LG UltraFine de la sala de reuniones", AudioOutput::displayPort}};

    std::optional<platform::AudioDeviceID> defaultOutputDevice() const override { return 1; }
    std::optional<platform::AudioDeviceID> defaultInputDevice() const override { return 0; }
    std::optional<std::vector<platform::AudioDeviceID>> devices() const override {
        std::vector<platform::AudioDeviceID> ids;
        for (const auto& d : list) ids.push_back(d.id);
        return ids;
    }
    std::optional<std::size_t> outputStreamCount(platform::AudioDeviceID) const override { return 1; }
    std::optional<std::string> name(platform::AudioDeviceID id) const override {
        const Device* d = find(id);
        return d ? std::optional(d->name) : std::nullopt;
    }
    std::optional<std::uint32_t> transport(platform::AudioDeviceID id) const override {
        const Device* d = find(id);
        return d ? std::optional(d->transport) : std::nullopt;
    }
    std::optional<float> volume(platform::AudioDeviceID) const override { return 0.5f; }
    bool hasMute(platform::AudioDeviceID) const override { return true; }
    std::optional<bool> isMuted(platform::AudioDeviceID) const override { return false; }
    std::optional<bool> isRunningSomewhere(platform::AudioDeviceID) const override { return false; }
    bool setVolume(platform::AudioDeviceID, float) override { return false; }
    bool setMuted(platform::AudioDeviceID, bool) override { return false; }
    bool setDefaultOutputDevice(platform::AudioDeviceID) override { return false; }
    bool setDefaultSystemOutputDevice(platform::AudioDeviceID) override { return false; }
    Subscription listen(platform::AudioProperty, std::function<void()>) override { return {}; }
    Subscription listen(platform::AudioDeviceID, platform::AudioProperty, std::function<void()>) override {
        return {};
    }

private:
    const Device* find(platform::AudioDeviceID id) const {
        for (const auto& d : list)
            if (d.id == id) return &d;
        return nullptr;
    }
};

// The players' notifications, delivered by the world itself.
class ScenePlayers final : public platform::PlayerNotifications {
public:
    Subscription observe(const std::string& name,
                         std::function<void(const platform::NotificationInfo&)> handler) override {
        handlers[name] = std::move(handler);
        return {};
    }
    std::map<std::string, std::function<void(const platform::NotificationInfo&)>> handlers;
};

// The scenes' clock while a track is set: every scene draws at dates from 0 on.
class StartOfTime final : public platform::Clock {
public:
    double now() const override { return 0; }
    double uptime() const override { return 0; }
    Date date() const override { return Date(0); }
};

struct InlineQueue final : platform::SerialQueue {
    void async(std::function<void()> job) override { job(); }
};

// A script host that answers nothing, yet counts as one with favourites.
class SilentScripts final : public platform::ScriptHost {
public:
    std::optional<platform::ScriptValue> execute(const std::string&, double) override { return std::nullopt; }
};

// A picture drawn pixel by pixel.
platform::Image picture(int w, int h, const std::function<std::array<std::uint8_t, 4>(int x, int y)>& pixel) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(w * h * 4));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto p = pixel(x, y);
            rgba.insert(rgba.end(), p.begin(), p.end());
        }
    return *platform::Image::fromRGBA(w, h, std::move(rgba));
}

// A page with a coloured band, as a file manager's document icon.
platform::Image documentIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return picture(64, 64, [=](int x, int y) -> std::array<std::uint8_t, 4> {
        if (x < 12 || x > 51 || y < 4 || y > 59) return {0, 0, 0, 0};
        if (y > 38 && y < 50) return {r, g, b, 255};
        return {236, 238, 242, 255};
    });
}

// A landscape, as the thumbnail of a photograph.
platform::Image photo() {
    return picture(200, 150, [](int x, int y) -> std::array<std::uint8_t, 4> {
        if (y > 95 + 12 * std::sin(x / 25.0)) return {58, 110, 60, 255};
        return {static_cast<std::uint8_t>(120 + y / 2), static_cast<std::uint8_t>(170 + y / 3), 235, 255};
    });
}

// Icons by file extension and thumbnails of photographs, answered at once.
class SceneWorkspace final : public platform::Workspace {
public:
    Subscription onApplicationTerminated(std::function<void(const std::optional<std::string>&)>) override {
        return {};
    }
    bool isRunning(const std::string&) const override { return false; }
    std::optional<platform::RunningApplication> frontmostApplication() const override { return std::nullopt; }
    std::optional<std::string> applicationLocation(const std::string&) const override { return std::nullopt; }
    void openApplication(const std::string&) override {}
    std::optional<platform::Image> icon(const std::string&) const override { return std::nullopt; }
    platform::WorkItem fileIcon(const std::string& path,
                                std::function<void(std::optional<platform::Image>)> done) override {
        if (path.ends_with(".pdf"))
            done(documentIcon(220, 60, 50));
        else if (path.ends_with(".xlsx"))
            done(documentIcon(40, 150, 80));
        else
            done(documentIcon(70, 120, 220));
        return {};
    }
    void openFile(const std::string&) override {}
    void activateFileViewerSelecting(const std::vector<std::string>&) override {}
    void openURL(const std::string&) override {}
    platform::WorkItem thumbnail(const std::string& path, Size, double,
                                 std::function<void(std::optional<platform::Image>)> done) override {
        done(path.ends_with(".jpg") ? std::optional(photo()) : std::nullopt);
        return {};
    }
};

// Where nothing runs deferred work (a benchmark), the services' never runs: the world is drawn
// as things stand.
class IdleQueue final : public platform::MainQueue {
protected:
    void schedule(double, std::shared_ptr<platform::Job>) override {}
    void scheduleUptime(double, std::shared_ptr<platform::Job>) override {}
};

}  // namespace

struct IslandWorld::Backends {
    IdleQueue idle;
    SceneAudio audio;
    ScenePlayers players;
    SilentScripts scriptHost;
    InlineQueue scripts;
    SceneWorkspace workspace;
    platform::Platform platform;
    std::unique_ptr<NowPlayingService> nowPlaying;
    std::unique_ptr<VolumeService> volume;

    Backends() {
        // The views reach the workspace through the installed platform (the tray's icons). The
        // services defer their work onto the scene's own queue, as the views do, whichever scene
        // first makes the world.
        platform::Platform current = platform::installed();
        current.workspace = &workspace;
        platform::MainQueue* queue = platform::MainQueue::installed();
        current.mainQueue = queue ? queue : &idle;
        platform::install(current);
        platform.playerNotifications = &players;
        platform.scriptHost = &scriptHost;
        nowPlaying = std::make_unique<NowPlayingService>(platform, scripts);
        nowPlaying->start();
        volume = std::make_unique<VolumeService>(&audio);
        volume->start();
    }
};

IslandWorld::IslandWorld()
    : backends_(std::make_unique<Backends>()),
      nowPlaying(*backends_->nowPlaying),
      volume(*backends_->volume),
      firstOutput_(volume.currentOutput.get()) {}

IslandWorld::~IslandWorld() = default;

IslandWorld& IslandWorld::shared() {
    static IslandWorld world;
    return world;
}

ui::View IslandWorld::withObjects(ui::View view) {
    return view.environmentObject(AppSettings::shared())
        .environmentObject(nowPlaying)
        .environmentObject(lyrics)
        .environmentObject(tray)
        .environmentObject(weather)
        .environmentObject(volume)
        .environmentObject(hud)
        .environmentObject(timer)
        .environmentObject(agents)
        .environmentObject(calendar)
        .environmentObject(state);
}

ui::View IslandWorld::island(const platform::Screen& screen) {
    return islandTree(
        state, NotchGeometry(screen, false),
        {AppSettings::shared(), nowPlaying, lyrics, tray, weather, volume, hud, timer, agents, calendar});
}

void IslandWorld::reset() {
    stop();
    lyrics.clear();
    hud.current = std::nullopt;
    hud.deviceDetail = false;
    state.expanded = false;
    state.trackSwipe = 0;
    nowPlaying.isPlaying = false;
    nowPlaying.liveVisible = false;
    nowPlaying.artwork = std::nullopt;
    nowPlaying.accentColor = NowPlayingService::white;
    timer.endDate = std::nullopt;
    timer.pausedRemaining = std::nullopt;
    timer.total = 0;
    weather.temperature = std::nullopt;
    weather.weatherCode = 0;
    weather.isDay = true;
    weather.high = std::nullopt;
    weather.low = std::nullopt;
    weather.place = std::nullopt;
    weather.hours = {};
    weather.locationDenied = false;
    calendar.access = CalendarService::Access::unknown;
    calendar.events = {};
    tray.items = {};
    agents.working = {};
    volume.currentOutput = firstOutput_;
    state.hovering = false;
    state.tab = IslandTab::music;
    state.outputMenuOpen = false;
    LivePreview::shared().width = std::nullopt;
    LivePreview::shared().height = std::nullopt;
    resetSettings();
}

void resetSettings() {
    AppSettings& settings = AppSettings::shared();
#define QUORLIX_RESET_SETTING(type, name, initial) \
    if (settings.name.get() != (initial)) settings.name = initial;
    QUORLIX_SETTINGS(QUORLIX_RESET_SETTING)
#undef QUORLIX_RESET_SETTING
}

void IslandWorld::play(const Track& track, double position, bool playing) {
    StartOfTime start;
    platform::Clock& previous = platform::Clock::shared();
    platform::Clock::install(&start);
    const auto& notify =
        backends_->players
            .handlers[track.source == PlayerSource::music ? NowPlayingService::musicNotification
                                                          : NowPlayingService::spotifyNotification];
    notify({{"Player State", std::string(playing ? "Playing" : "Paused")},
            {"Name", track.title},
            {"Artist", track.artist},
            {"Album", track.album},
            {"Total Time", track.duration * 1000},
            {"PersistentID", track.id},
            {"Playback Position", position}});
    platform::Clock::install(&previous);
    nowPlaying.artwork = samplePicture();
    nowPlaying.accentColor = RGBA{1.0, 0.55, 0.42, 1};
}

void IslandWorld::stop() {
    if (const auto& track = nowPlaying.track.get())
        backends_->players
            .handlers[track->source == PlayerSource::music ? NowPlayingService::musicNotification
                                                           : NowPlayingService::spotifyNotification](
                {{"Player State", std::string("Stopped")}});
}

platform::Image IslandWorld::samplePicture() {
    const int side = 120;
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x - 40.0, y - 45.0) / side;
            rgba.insert(rgba.end(),
                        {static_cast<std::uint8_t>(250 - 90 * d), static_cast<std::uint8_t>(150 - 60 * d),
                         static_cast<std::uint8_t>(90 + 80 * d), 255});
        }
    return *platform::Image::fromRGBA(side, side, std::move(rgba));
}

Track IslandWorld::sampleTrack() {
    return {"M7",          "Canción de la orilla (versión acústica)",
            "Los Faroles", "Mareas de noviembre",
            214,           PlayerSource::music};
}

std::vector<LyricLine> IslandWorld::sampleLyrics() {
    return {{70.0, "Camino por la orilla"},
            {75.5, "Con la marea en los pies"},
            {81.0, "Cuento las luces del puerto, una a una"},
            {86.5, "Y la noche se queda"},
            {92.0, ""},
            {97.5, "Camino por la orilla"}};
}

ui::View expandedIsland(double width, IslandTab tab, const std::function<void(IslandWorld&)>& setUp) {
    IslandWorld& world = IslandWorld::shared();
    world.reset();
    AppSettings::shared().islandWidth = width;
    world.state.expanded = true;
    world.state.tab = tab;
    world.play(IslandWorld::sampleTrack(), 83);
    world.lyrics.status = LyricsService::Status::found;
    world.lyrics.lines = IslandWorld::sampleLyrics();
    if (setUp) setUp(world);
    return world.island(IslandWorld::notched());
}

VolumeService& threeOutputs() { return IslandWorld::shared().volume; }

platform::Screen IslandWorld::external() {
    platform::Screen s;
    s.frame = Rect(0, 0, 1920, 1080);
    return s;
}

platform::Screen IslandWorld::notched() {
    platform::Screen s = external();
    s.safeAreaInsets.top = 32;
    s.auxiliaryTopLeftArea = Rect(0, 1048, 866, 32);
    s.auxiliaryTopRightArea = Rect(1053, 1048, 867, 32);
    return s;
}

}  // namespace quorlix::snapshot
