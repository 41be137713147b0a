// A frame of the running timer page at 2x, on the island's black in the page area of the
// default island: the once-a-second redraw (built, laid out, the ring's new trim animated and
// drawn), and a frame of the ring easing between two redraws (sampled and drawn).

#include "island/timer_page.h"
#include "services/timer_service.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

constexpr Size page{303, 122};
constexpr double scale = 2;

// The page over a countdown of 25 minutes, running since the date 0, and its picture.
struct RunningPage {
    TimerService timer;
    ViewGraph graph{qt::QtFontEngine::shared()};
    QImage image{static_cast<int>(page.width * scale), static_cast<int>(page.height* scale),
                 QImage::Format_ARGB32_Premultiplied};

    RunningPage() {
        qt::ensureGuiApplication();
        timer.total = 1500;
        timer.endDate = Date(1500);
    }
    void render(double t) {
        graph.update(
            View(TimerPage{}).frame({.width = page.width, .height = page.height}).environmentObject(timer),
            page, {}, {t, Date(t)});
    }
    void draw(double t) {
        image.fill(Qt::black);
        QPainter painter(&image);
        qt::QtCanvas canvas(painter, qt::QtFontEngine::shared(), scale, image.size());
        graph.present(t).draw(canvas);
    }
};

void BM_TimerPageSecond(benchmark::State& state) {
    RunningPage running;
    double t = 0;
    for (auto _ : state) {
        t += 1;
        running.render(t);
        running.draw(t);
    }
}
BENCHMARK(BM_TimerPageSecond)->Unit(benchmark::kMillisecond);

void BM_TimerPageEasingFrame(benchmark::State& state) {
    RunningPage running;
    running.render(0);
    running.render(1);
    double t = 1;
    for (auto _ : state) {
        t += 1e-6;  // within the second's easing
        running.draw(t);
    }
}
BENCHMARK(BM_TimerPageEasingFrame)->Unit(benchmark::kMillisecond);

}  // namespace
