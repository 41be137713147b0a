// What a track with a large cover costs the main thread: a player announces a new track, the
// now-playing service looks its artwork up once it has settled (the script on a thread of its
// own, as the application runs it) and the real image decoder makes the picture. Each iteration
// is one track: its time is what the main thread spent on it (the runs of the main queue from
// the announcement to the picture shown; time spent on other threads meanwhile is not counted),
// and `longest_ms` is the longest single run among them, the stall a user would feel;
// `longest_cpu_ms` is that run's CPU time on the main thread, which a loaded machine taking the
// processor away meanwhile does not lengthen.
//
//   BM_ArtworkOfANewTrack/0   a 4096 × 4096 PNG
//   BM_ArtworkOfANewTrack/1   a 3000 × 3000 JPEG
// (their sizes in the label)
// on a 1920 × 1080 screen.
//
// A fixed number of tracks, after one untimed: the main thread's share of a track is about a
// millisecond, while the decode apart takes a tenth of a second, so sizing the run by the time
// measured would decode hundreds of covers (minutes) for a figure twenty tracks give.

#include "isolated_settings.h"
#include "platform/linux/qt_image_decoder.h"
#include "platform/platform.h"
#include "scoped_platform.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"
#include "ui/qt/qt_canvas.h"

#include "fakes/virtual_time.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <time.h>

namespace {

using namespace quorlix;
using Clock = std::chrono::steady_clock;

// A cover with detail everywhere (a flat picture would decode much faster than a real one),
// encoded as `format`.
std::string cover(int side, const char* format, int quality) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            // Fine grain, as a photograph has.
            const int grain = static_cast<int>(
                (static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u) >> 28);
            line[x] = qRgb((x / 3 + y / 5 + grain) % 256, (x * y / 4096 + (x ^ y) % 32) % 256,
                           (y / 2 + x % 64 + grain) % 256);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes.toStdString();
}

// Seconds of processor time this thread has used.
double threadCPUTime() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const std::string& coverBytes(int which) {
    static std::map<int, std::string> made;
    auto& bytes = made[which];
    if (bytes.empty()) bytes = which == 0 ? cover(4096, "PNG", 9) : cover(3000, "JPEG", 92);
    return bytes;
}

// Music over MPRIS: every track's artwork is the cover's bytes.
class CoverScripts final : public platform::ScriptHost {
public:
    explicit CoverScripts(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}
    std::optional<platform::ScriptValue> execute(const std::string& source, double) override {
        if (source == PlayerScripts::musicArtworkRawData()) return platform::ScriptValue::bytes(bytes_);
        return std::nullopt;
    }

private:
    platform::ScriptValue::Bytes bytes_;
};

class Announcements final : public platform::PlayerNotifications {
public:
    Subscription observe(const std::string& name,
                         std::function<void(const platform::NotificationInfo&)> handler) override {
        return name == NowPlayingService::musicNotification ? music.connect(std::move(handler))
                                                            : Subscription{};
    }
    Signal<platform::NotificationInfo> music;
};

class OneScreen final : public platform::Screens {
public:
    std::vector<platform::Screen> screens() const override { return {screen()}; }
    std::optional<platform::Screen> mainScreen() const override { return screen(); }

private:
    static platform::Screen screen() {
        platform::Screen s;
        s.id = "screen";
        s.frame = Rect(0, 0, 1920, 1080);
        return s;
    }
};

void BM_ArtworkOfANewTrack(benchmark::State& state) {
    ui::qt::ensureGuiApplication();
    bench::isolateSettings();
    const std::string& bytes = coverBytes(static_cast<int>(state.range(0)));
    state.SetLabel((state.range(0) == 0 ? "4096 PNG, " : "3000 JPEG, ") +
                   std::to_string(bytes.size() / 1024) + " kB");

    fakes::VirtualTime time;
    CoverScripts scripts(bytes);
    Announcements announcements;
    OneScreen screens;
    platform::QtImageDecoder decoder;
    platform::Platform p;
    p.mainQueue = &time.queue;
    p.clock = &time.clock;
    p.scriptHost = &scripts;
    p.playerNotifications = &announcements;
    p.imageDecoder = &decoder;
    p.screens = &screens;
    bench::ScopedPlatform installed(p);
    platform::ThreadSerialQueue scriptQueue;
    NowPlayingService service(p, scriptQueue);
    service.start();

    double longest = 0, longestCPU = 0;
    int track = 0;
    // Runs what the main queue holds now (`seconds` of virtual time on), timed.
    double mainThreadTotal = 0;
    const auto run = [&](double seconds) {
        const double cpu = threadCPUTime();
        const auto start = Clock::now();
        time.advance(seconds);
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        longest = std::max(longest, spent);
        longestCPU = std::max(longestCPU, threadCPUTime() - cpu);
        mainThreadTotal += spent;
    };
    // One track, announced and shown; its main thread's time.
    const auto newTrack = [&] {
        mainThreadTotal = 0;
        ++track;
        const platform::NotificationInfo info{
            {"Player State", std::string("Playing")}, {"Name", "Pista " + std::to_string(track)},
            {"Artist", std::string("Ana")},           {"Total Time", std::int64_t{180000}},
            {"PersistentID", std::to_string(track)},  {"Playback Position", 0.0}};
        {
            const auto start = Clock::now();
            announcements.music.emit(info);
            mainThreadTotal += std::chrono::duration<double>(Clock::now() - start).count();
        }
        run(lookupSettleTime);
        // The script, then the decode where it runs apart, answer on the main queue.
        while (!service.artwork.get()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            run(0);
        }
        return mainThreadTotal;
    };
    // The first track's one-time costs are no track's: a few tracks stand for the many.
    newTrack();
    longest = longestCPU = 0;
    for (auto _ : state) state.SetIterationTime(newTrack());
    state.counters["longest_ms"] = longest * 1000;
    state.counters["longest_cpu_ms"] = longestCPU * 1000;
}
BENCHMARK(BM_ArtworkOfANewTrack)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
