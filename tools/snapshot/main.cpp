// quorlix-snapshot: renders a named scene of the view layer to a PNG, so anyone can look at
// what a view draws.
//
//     quorlix-snapshot --list
//     quorlix-snapshot SCENE --out FILE.png [--scale 2]
//     quorlix-snapshot --all --out DIR [--scale 2]

#include "platform/atomic_file.h"
#include "snapshot/scene.h"
#include "ui/qt/qt_canvas.h"
#include "ui/views.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace quorlix::snapshot {

namespace {

std::map<std::string, const Scene*>& registry() {
    static std::map<std::string, const Scene*> all;
    return all;
}

int usage(const char* message) {
    if (message) std::fprintf(stderr, "quorlix-snapshot: %s\n", message);
    std::fprintf(stderr,
                 "usage: quorlix-snapshot --list\n"
                 "       quorlix-snapshot SCENE --out FILE.png [--scale N]\n"
                 "       quorlix-snapshot --all --out DIR [--scale N]\n");
    return 2;
}

bool write(const Scene& scene, const std::filesystem::path& file, double scale) {
    const ui::View content = ui::ZStack({scene.background, scene.view()});
    const QImage image = ui::qt::renderImage(content, scene.size, scale, scene.environment());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "quorlix-snapshot: could not encode %s\n", scene.name.c_str());
        return false;
    }
    if (auto error = platform::writeFileAtomically(file, std::string_view(bytes.constData(), bytes.size()))) {
        std::fprintf(stderr, "quorlix-snapshot: could not write %s: %s\n", file.c_str(), error->c_str());
        return false;
    }
    return true;
}

}  // namespace

Scene::Scene(std::string n, Size s, std::function<ui::View()> v) : name(std::move(n)), size(s), view(std::move(v)) {
    registry()[name] = this;
}

Scene::Scene(std::string n, Size s, std::function<ui::View()> v, ui::Color bg)
    : name(std::move(n)), size(s), view(std::move(v)), background(bg) {
    registry()[name] = this;
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list") list = true;
        else if (arg == "--all") all = true;
        else if (arg == "--out" && i + 1 < argc) out = argv[++i];
        else if (arg == "--scale" && i + 1 < argc) {
            try {
                scale = std::stod(argv[++i]);
            } catch (...) {
                return snapshot::usage("--scale needs a number");
            }
            if (!(scale > 0 && scale <= 8)) return snapshot::usage("--scale must be above 0 and at most 8");
        } else if (!arg.empty() && arg[0] != '-' && scene.empty()) scene = arg;
        else return snapshot::usage(("unexpected argument " + arg).c_str());
    }
    if (list) {
        for (const auto* s : snapshot::scenes()) std::printf("%s\n", s->name.c_str());
        return 0;
    }
    if (out.empty()) return snapshot::usage("--out is required");
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    if (all) {
        std::error_code ec;
        std::filesystem::create_directories(out, ec);
        bool ok = true;
        for (const auto* s : snapshot::scenes())
            ok = snapshot::write(*s, std::filesystem::path(out) / (s->name + ".png"), scale) && ok;
        return ok ? 0 : 1;
    }
    if (scene.empty()) return snapshot::usage("name a scene, or give --all");
    for (const auto* s : snapshot::scenes())
        if (s->name == scene) return snapshot::write(*s, out, scale) ? 0 : 1;
    std::fprintf(stderr, "quorlix-snapshot: no scene named %s (see --list)\n", scene.c_str());
    return 2;
}
