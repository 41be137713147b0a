// quorlix-snapshot: renders a named scene of the view layer to a PNG, so anyone can look at
// what a view draws, and an animation scene to a sequence of frames.
//
//     quorlix-snapshot --list
//     quorlix-snapshot SCENE --out FILE.png [--scale 2]
//     quorlix-snapshot ANIMATION --out DIR [--scale 2] [--fps 30]
//     quorlix-snapshot --all --out DIR [--scale 2] [--fps 30]
//
// An animation writes DIR/NAME-000.png, DIR/NAME-001.png, ... one per frame, and
// DIR/NAME-strip.png, every few frames side by side, to see the motion at a glance.

#include "platform/atomic_file.h"
#include "platform/main_queue.h"
#include "snapshot/scene.h"
#include "ui/event_router.h"
#include "ui/qt/qt_canvas.h"
#include "ui/qt/qt_font_engine.h"
#include "ui/transaction.h"
#include "ui/view_graph.h"
#include "ui/views.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quorlix::snapshot {

namespace {

std::map<std::string, const Scene*>& registry() {
    static std::map<std::string, const Scene*> all;
    return all;
}

std::map<std::string, const AnimationScene*>& animationRegistry() {
    static std::map<std::string, const AnimationScene*> all;
    return all;
}

// The main queue of a scene: work the views defer waits on the scene's own clock, which
// moves only when the scene lets its time pass. Each scene starts with an empty queue.
class SceneQueue final : public platform::MainQueue {
public:
    // Installed for every scene: the island's world may have put its own in place meanwhile.
    void begin() {
        jobs_.clear();
        now_ = 0;
        platform::MainQueue::install(this);
    }
    // Runs, in due order, the work due by `end`, telling `ran(due)` after each job.
    void runUntil(double end, const std::function<void(double due)>& ran) {
        while (!jobs_.empty() && jobs_.begin()->first.first <= end + 1e-9) {
            const auto next = jobs_.begin();
            now_ = std::max(now_, next->first.first);
            const auto job = next->second;
            jobs_.erase(next);
            job->run();
            ran(now_);
        }
        now_ = std::max(now_, end);
    }

protected:
    void schedule(double seconds, std::shared_ptr<platform::Job> job) override {
        jobs_.emplace(std::make_pair(now_ + seconds, sequence_++), std::move(job));
    }
    void scheduleUptime(double seconds, std::shared_ptr<platform::Job> job) override {
        schedule(seconds, std::move(job));
    }

private:
    std::map<std::pair<double, std::uint64_t>, std::shared_ptr<platform::Job>> jobs_;
    double now_ = 0;
    std::uint64_t sequence_ = 0;
};

SceneQueue& sceneQueue() {
    static SceneQueue queue;
    return queue;
}

int usage(const char* message) {
    if (message) std::fprintf(stderr, "quorlix-snapshot: %s\n", message);
    std::fprintf(stderr,
                 "usage: quorlix-snapshot --list\n"
                 "       quorlix-snapshot SCENE --out FILE.png [--scale N]\n"
                 "       quorlix-snapshot ANIMATION --out DIR [--scale N] [--fps N]\n"
                 "       quorlix-snapshot --all --out DIR [--scale N] [--fps N]\n");
    return 2;
}

bool save(const QImage& image, const std::filesystem::path& file) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "quorlix-snapshot: could not encode %s\n", file.c_str());
        return false;
    }
    if (auto error = platform::writeFileAtomically(file, std::string_view(bytes.constData(), bytes.size()))) {
        std::fprintf(stderr, "quorlix-snapshot: could not write %s: %s\n", file.c_str(), error->c_str());
        return false;
    }
    return true;
}

// Renders `view()` at `t`, then again for what the views change as they appear (entrances),
// all at the same moment.
void update(ui::ViewGraph& graph, const std::function<ui::View()>& view, Size size,
            const ui::EnvironmentValues& environment, double t) {
    graph.update(view(), size, environment, {t, Date(t)});
    for (int i = 0; i < 8 && graph.needsUpdate(); ++i) graph.update(view(), size, environment, {t, Date(t)});
}

// A still scene shows its views as they stand once their entrances have settled.
constexpr double settled = 3;

bool write(const Scene& scene, const std::filesystem::path& file, double scale) {
    sceneQueue().begin();
    resetSettings();
    ui::ViewGraph graph(ui::qt::QtFontEngine::shared());
    const auto view = [&] { return ui::ZStack({scene.background, scene.view()}); };
    const auto environment = scene.environment();
    update(graph, view, scene.size, environment, 0);
    if (scene.pointer) {
        ui::EventRouter pointer([&graph]() -> const ui::DisplayItem& { return graph.displayList(); });
        if (scene.pointer->carriesFiles)
            pointer.dragMoved(scene.pointer->at, {ui::UTType::fileURL});
        else
            pointer.pointerMoved(scene.pointer->at);
        update(graph, view, scene.size, environment, 0);
    }
    if (scene.time > 0)
        sceneQueue().runUntil(scene.time, [&](double due) {
            if (graph.needsUpdate()) update(graph, view, scene.size, environment, due);
        });
    return save(ui::qt::renderImage(graph.present(scene.time + settled), scene.size, scale), file);
}

// Renders the animation at `fps` on its own clock, from 0 to its duration.
bool record(const AnimationScene& scene, const std::filesystem::path& dir, double scale, double fps) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    sceneQueue().begin();
    resetSettings();
    ui::ViewGraph graph(ui::qt::QtFontEngine::shared());
    bool changed = false;
    auto render = [&](double t) {
        update(
            graph,
            [&] {
                return ui::ZStack({scene.background, scene.view(changed)});
            },
            scene.size, {}, t);
    };
    const int frames = static_cast<int>(std::ceil(scene.duration * fps)) + 1;
    std::vector<QImage> shots;
    bool ok = true;
    for (int k = 0; k < frames; ++k) {
        const double t = k / fps;
        if (k > 0)
            sceneQueue().runUntil(t, [&](double due) {
                if (graph.needsUpdate()) render(due);
            });
        if (k == 0 || graph.needsUpdate()) render(t);
        QImage image = ui::qt::renderImage(graph.present(t), scene.size, scale);
        char name[32];
        std::snprintf(name, sizeof name, "-%03d.png", k);
        ok = save(image, dir / (scene.name + name)) && ok;
        shots.push_back(std::move(image));
        if (k == 0 && scene.changes) {
            changed = true;
            ui::withAnimation(scene.transaction, [&] { graph.invalidation().invalidate(); });
        }
    }
    // Every few frames side by side, at most ten.
    const int step = std::max(1, static_cast<int>(std::ceil(shots.size() / 10.0)));
    const int count = (static_cast<int>(shots.size()) + step - 1) / step;
    const QSize cell = shots.front().size();
    QImage strip(cell.width() * count, cell.height(), QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    for (int i = 0; i < count; ++i)
        painter.drawImage(i * cell.width(), 0, shots[static_cast<std::size_t>(i * step)]);
    painter.end();
    return save(strip, dir / (scene.name + "-strip.png")) && ok;
}

}  // namespace

// Scenes read the default settings, and a scene that changes a setting writes it into a
// folder of its own, never the user's: the home and XDG folders point into a temporary
// folder for the run.
ThrowawayHome::ThrowawayHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorlix-snapshot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    root_ = pattern;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        setenv(variable, (root_ / variable).c_str(), 1);
    // The agents' configuration files lie in the home folder: the scenes read and write their
    // own.
    const std::filesystem::path home = root_ / "home";
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    setenv("HOME", home.c_str(), 1);
}

ThrowawayHome::~ThrowawayHome() {
    std::error_code ec;
    if (!root_.empty()) std::filesystem::remove_all(root_, ec);
}

Scene::Scene(std::string n, Size s, std::function<ui::View()> v)
    : name(std::move(n)), size(s), view(std::move(v)) {
    registry()[name] = this;
}

Scene::Scene(std::string n, Size s, std::function<ui::View()> v, ui::Color bg)
    : name(std::move(n)), size(s), view(std::move(v)), background(bg) {
    registry()[name] = this;
}

Scene::Scene(std::string n, Size s, std::function<ui::View()> v, Pointer p)
    : name(std::move(n)), size(s), view(std::move(v)), pointer(p) {
    registry()[name] = this;
}

AnimationScene::AnimationScene(std::string n, Size s, double d, std::function<ui::View(bool)> v, bool c,
                               std::optional<ui::Animation> t)
    : name(std::move(n)), size(s), duration(d), view(std::move(v)), changes(c), transaction(std::move(t)) {
    animationRegistry()[name] = this;
}

std::vector<const AnimationScene*> animationScenes() {
    std::vector<const AnimationScene*> out;
    for (const auto& [name, scene] : animationRegistry()) out.push_back(scene);
    return out;
}

std::vector<const Scene*> scenes() {
    std::vector<const Scene*> out;
    for (const auto& [name, scene] : registry()) out.push_back(scene);
    return out;
}

}  // namespace quorlix::snapshot

int main(int argc, char** argv) {
    using namespace quorlix;
    std::string scene, out;
    bool list = false, all = false;
    double scale = 1;
    double fps = 30;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list")
            list = true;
        else if (arg == "--all")
            all = true;
        else if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--scale" && i + 1 < argc) {
            try {
                scale = std::stod(argv[++i]);
            } catch (...) {
                return snapshot::usage("--scale needs a number");
            }
            if (!(scale > 0 && scale <= 8)) return snapshot::usage("--scale must be above 0 and at most 8");
        } else if (arg == "--fps" && i + 1 < argc) {
            try {
                fps = std::stod(argv[++i]);
            } catch (...) {
                return snapshot::usage("--fps needs a number");
            }
            if (!(fps >= 1 && fps <= 240)) return snapshot::usage("--fps must be between 1 and 240");
        } else if (!arg.empty() && arg[0] != '-' && scene.empty())
            scene = arg;
        else
            return snapshot::usage(("unexpected argument " + arg).c_str());
    }
    if (list) {
        for (const auto* s : snapshot::scenes()) std::printf("%s\n", s->name.c_str());
        for (const auto* s : snapshot::animationScenes()) std::printf("%s (animation)\n", s->name.c_str());
        return 0;
    }
    if (out.empty()) return snapshot::usage("--out is required");
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const snapshot::ThrowawayHome home;
    QApplication app(argc, argv);
    if (all) {
        std::error_code ec;
        std::filesystem::create_directories(out, ec);
        bool ok = true;
        for (const auto* s : snapshot::scenes())
            ok = snapshot::write(*s, std::filesystem::path(out) / (s->name + ".png"), scale) && ok;
        for (const auto* s : snapshot::animationScenes())
            ok = snapshot::record(*s, std::filesystem::path(out) / s->name, scale, fps) && ok;
        return ok ? 0 : 1;
    }
    if (scene.empty()) return snapshot::usage("name a scene, or give --all");
    for (const auto* s : snapshot::scenes())
        if (s->name == scene) return snapshot::write(*s, out, scale) ? 0 : 1;
    for (const auto* s : snapshot::animationScenes())
        if (s->name == scene) return snapshot::record(*s, out, scale, fps) ? 0 : 1;
    std::fprintf(stderr, "quorlix-snapshot: no scene named %s (see --list)\n", scene.c_str());
    return 2;
}
