// What opening and closing the island keeps: the island as its panel draws it (the scenes'
// world, a track playing with its artwork, on a notch, at 2x into the 920 × 340 panel, each
// frame repainted where it differs), opened as the pointer arrives and closed as it leaves,
// each move given a second of frames about 60 a second on a clock of its own. It prints the
// process's private memory after the first cycle and as the cycles go on.
//
//     quorlix-island-cycles [cycles = 1000]

#include "fakes/virtual_time.h"
#include "isolated_settings.h"
#include "panel_image.h"
#include "snapshot/island_world.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"
#include "ui/view_host.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using namespace quorlix;

long kilobytes(const char* file, const std::string& name) {
    std::ifstream in(file);
    long total = 0;
    for (std::string line; std::getline(in, line);)
        if (line.rfind(name, 0) == 0) total += std::stol(line.substr(name.size()));
    return total;
}

double privateMB() {
    return (kilobytes("/proc/self/smaps_rollup", "Private_Clean:") +
            kilobytes("/proc/self/smaps_rollup", "Private_Dirty:")) /
           1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    bench::isolateSettings();
    ui::qt::ensureGuiApplication();
    snapshot::IslandWorld& world = snapshot::IslandWorld::shared();
    world.reset();
    if (!std::getenv("QUIET")) world.play(snapshot::IslandWorld::sampleTrack(), 83);
    fakes::VirtualTime time;

    constexpr Size panel{920, 340};
    ui::ViewHost host(ui::qt::QtFontEngine::shared(), world.island(snapshot::IslandWorld::notched()), panel);
    bench::Window window(panel, 2);
    host.onFrame = [&] { window.show(host.shownList()); };
    host.render();
    // Frames come about 60 times a second, never at quite the same moments twice, as a
    // window's do.
    unsigned seed = 1;
    const auto second = [&] {
        for (double spent = 0; spent < 1;) {
            seed = seed * 1103515245 + 12345;
            const double interval = (14 + (seed >> 16) % 6) / 1000.0;
            time.advance(interval);
            spent += interval;
        }
    };

    std::printf("cycles  private MB\n");
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        world.state.expanded = true;
        second();
        world.state.expanded = false;
        second();
        if (cycle == 1 || cycle == 10 || cycle % 100 == 0 || cycle == cycles) {
            std::printf("%6d %11.1f\n", cycle, privateMB());
            std::fflush(stdout);
        }
    }
    return 0;
}
