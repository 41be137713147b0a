// A panel of three coloured columns, for the desktop test of a window's pixels:
// `quorlix-stripes` shows a 160 by 80 panel at (20, 30), with columns 40, 3 and 57 points wide
// and 60 high from (10, 10) in it. SIGUSR1 moves the colours on by one and draws the frame,
// then writes "step N" and the columns' colours at x 30, 51 and 80 of row 40 ("#rrggbb" each)
// on a line of standard output; SIGUSR2 hides or shows the panel; SIGHUP handles every event
// the window system sent before it, then writes "synced".

#include "platform/clock.h"
#include "platform/linux/qt_main_queue.h"
#include "platform/platform.h"
#include "ui/qt/panel_window.h"
#include "ui/ui.h"

#include <QApplication>
#include <QSocketNotifier>

#include <unistd.h>
#include <array>
#include <csignal>
#include <cstdio>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

struct Stripes : ObservableObject {
    Published<int> step{this, 0};
};

const std::array<Color, 3> palette{Color::red, Color::blue, Color::green};

struct StripesView {
    Stripes* stripes;
    View body(Context& ctx) const {
        ctx.observe(*stripes);
        const int s = stripes->step.get();
        return HStack({.spacing = 0},
                      {
                          palette[s % 3].frame({.width = 40, .height = 60}),
                          palette[(s + 1) % 3].frame({.width = 3, .height = 60}),
                          palette[(s + 2) % 3].frame({.width = 57, .height = 60}),
                      })
            .padding(10)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading});
    }
};

int signalPipe[2];

void onSignal(int number) {
    const char byte = number == SIGUSR2 ? 2 : number == SIGHUP ? 3 : 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void report(qt::PanelWindow& panel, int step) {
    const QImage drawn = panel.widget().grab().toImage();
    // The window shows the panel from its extent's corner on.
    const Point origin = panel.extent().origin;
    const auto at = [&](int x, int y) {
        return drawn.pixelColor(x - static_cast<int>(origin.x), y - static_cast<int>(origin.y));
    };
    std::printf("step %d", step);
    for (const int x : {30, 51, 80}) std::printf(" %s", at(x, 40).name().toUtf8().constData());
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::QtMainQueue queue;
    platform::SystemClock clock;
    platform::Platform backends;
    backends.mainQueue = &queue;
    backends.clock = &clock;
    platform::install(backends);

    Stripes stripes;
    qt::PanelWindow panel(View(StripesView{&stripes}), {160, 80});
    panel.host().observe(stripes);
    panel.setFrameOrigin({20, 30});
    // Listening before the first line: a test signals once it reads it.
    if (::pipe(signalPipe) != 0) return 1;
    std::signal(SIGUSR1, onSignal);
    std::signal(SIGUSR2, onSignal);
    std::signal(SIGHUP, onSignal);
    QSocketNotifier next(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&next, &QSocketNotifier::activated, [&] {
        char byte;
        if (::read(signalPipe[0], &byte, 1) != 1) return;
        if (byte == 2) return panel.isVisible() ? panel.hide() : panel.show();
        if (byte == 3) {
            QGuiApplication::sync();
            std::printf("synced\n");
            std::fflush(stdout);
            return;
        }
        stripes.step = stripes.step.get() + 1;
        panel.host().render();
        report(panel, stripes.step.get());
    });
    panel.show();
    report(panel, 0);
    const int status = QApplication::exec();
    platform::install(platform::Platform{});
    return status;
}
