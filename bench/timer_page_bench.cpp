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

View timerPage(TimerService& timer) {
    return View(TimerPage{}).frame({.width = page.width, .height = page.height}).environmentObject(timer);
}

// A countdown of 25 minutes, running since the date 0.
void run(TimerService& timer) {
    timer.total = 1500;
    timer.endDate = Date(1500);
}

void draw(QImage& image, const DisplayItem& list) {
    image.fill(Qt::black);
    QPainter painter(&image);
    qt::QtCanvas canvas(painter, qt::QtFontEngine::shared(), scale, image.size());
    list.draw(canvas);
}

QImage pageImage() {
    return QImage(static_cast<int>(page.width * scale), static_cast<int>(page.height * scale),
                  QImage::Format_ARGB32_Premultiplied);
}

void BM_TimerPageSecond(benchmark::State& state) {
    qt::ensureGuiApplication();
    TimerService timer;
    run(timer);
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = pageImage();
    double t = 0;
    for (auto _ : state) {
        t += 1;
        graph.update(timerPage(timer), page, {}, {t, Date(t)});
        draw(image, graph.present(t));
    }
}
BENCHMARK(BM_TimerPageSecond)->Unit(benchmark::kMillisecond);

void BM_TimerPageEasingFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    TimerService timer;
    run(timer);
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = pageImage();
    graph.update(timerPage(timer), page, {}, {0, Date(0)});
    graph.update(timerPage(timer), page, {}, {1, Date(1)});
    double t = 1;
    for (auto _ : state) {
        t += 1e-6;  // within the second's easing
        draw(image, graph.present(t));
    }
}
BENCHMARK(BM_TimerPageEasingFrame)->Unit(benchmark::kMillisecond);

}  // namespace
