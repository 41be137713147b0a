// Layout plus render of a tree the size of the expanded island (about 150 views, with text,
// symbols, a clipped artwork and shadows) at 2x, as one frame of the island costs; and the
// same tree animating, every view on the move.

#include "island/island_background.h"
#include "island/notch_shape.h"
#include "panel_image.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorlix;
using namespace quorlix::ui;

platform::Image artwork() {
    std::vector<std::uint8_t> px(120 * 120 * 4, 255);
    for (std::size_t i = 0; i < px.size(); ++i)
        if (i % 4 != 3) px[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    return platform::Image::fromRGBA(120, 120, std::move(px)).value_or(platform::Image{});
}

View tab(const char* symbol, const char* title, bool selected) {
    return HStack({.spacing = 5}, {
               Symbol(symbol).font(Font::system(11, FontWeight::semibold)),
               Text(title).font(Font::system(11, FontWeight::semibold)),
           })
        .foregroundStyle(Color::white.opacity(selected ? 1 : 0.55))
        .padding(Edges::horizontal, 10)
        .padding(Edges::vertical, 5)
        .background(Capsule().fill(Color::white.opacity(selected ? 0.14 : 0)));
}

View control(const char* symbol, double size) {
    return Symbol(symbol).font(Font::system(size, FontWeight::semibold)).frame({.width = 34, .height = 28});
}

View expandedIsland(const platform::Image& art, double w = 640, double h = 190, double t = 14) {
    const View header = HStack({.spacing = 4}, {
        tab("play.fill", "Música", true), tab("cloud.sun.fill", "Clima", false), tab("tray.full.fill", "Bandeja", false),
        tab("calendar", "Calendario", false), tab("timer", "Temporizador", false), Spacer(0),
        Symbol("gearshape.fill").font(Font::system(12, FontWeight::semibold)).foregroundStyle(Color::white.opacity(0.6)),
    });
    const View progress = VStack({.spacing = 4}, {
        ZStack({.alignment = Alignment::leading}, {
            Capsule().fill(Color::white.opacity(0.18)),
            Capsule().fill(Color::white).frame({.width = 120}),
        }).frame({.height = 4}),
        HStack({Text("1:24"), Spacer(), Text("-2:31")}).font(Font::system(10, FontWeight::medium).monospacedDigit())
            .foregroundStyle(Color::white.opacity(0.5)),
    });
    const View controls = HStack({.spacing = 0}, {
        control("heart.fill", 13), Spacer(0), control("backward.fill", 15), Spacer(0), control("pause.fill", 22),
        Spacer(0), control("forward.fill", 15), Spacer(0), control("hifispeaker.fill", 13),
    });
    const View player = VStack({.alignment = HorizontalAlignment::leading, .spacing = 6}, {
        Text("Bohemian Rhapsody (Remastered 2011)").font(Font::system(14, FontWeight::semibold)).lineLimit(1),
        Text("Queen").font(Font::system(12)).foregroundStyle(Color::white.opacity(0.6)).lineLimit(1),
        progress,
        controls,
    });
    const View lyrics = VStack({.alignment = HorizontalAlignment::leading, .spacing = 8}, {
        Text("Is this the real life?").font(Font::system(12, FontWeight::medium)).foregroundStyle(Color::white.opacity(0.25)).lineLimit(1),
        Text("Is this just fantasy? Caught in a landslide, no escape from reality").font(Font::system(17, FontWeight::bold))
            .lineLimit(2).minimumScaleFactor(0.75).fixedSize(false, true),
        Text("Open your eyes, look up to the skies and see").font(Font::system(12, FontWeight::medium)).foregroundStyle(Color::white.opacity(0.4)).lineLimit(1),
    }).frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading});
    Views bars;
    for (int i = 0; i < 5; ++i) bars.push_back(Capsule().fill(Color::white).frame({.width = 2, .height = 4.0 + 2 * i}));
    Views events;
    for (int i = 0; i < 6; ++i) {
        events.push_back(HStack({.spacing = 6}, {
            Circle().fill(Color::orange).frame({.width = 6, .height = 6}),
            Text("Reunión de equipo " + std::to_string(i + 1)).font(Font::system(11, FontWeight::medium)).lineLimit(1),
            Spacer(0),
            Text("en " + std::to_string(5 * i + 5) + " min").font(Font::system(10)).foregroundStyle(Color::white.opacity(0.5)),
        }));
    }
    const View body = HStack({.alignment = VerticalAlignment::top, .spacing = 14}, {
        Image(art).resizable().aspectRatio(ContentMode::fill).frame({.width = 88, .height = 88})
            .clipShape(RoundedRectangle(14, RoundedCornerStyle::continuous))
            .shadow(Color::black.opacity(0.4), 8, 0, 4),
        player.frame({.width = 190}),
        lyrics,
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 4}, std::move(events)).frame({.width = 150}),
    });
    const AnyShape outline = NotchShape(t, 32);
    return VStack({.spacing = 12}, {header, body, HStack({.spacing = 1.6}, std::move(bars)).frame({.height = 12})})
        .padding(Edges::horizontal, 18)
        .padding(Edges::vertical, 12)
        .frame({.width = w, .height = h, .alignment = Alignment::top})
        .padding(Edges::horizontal, t)
        .background(IslandBackground{.shape = outline, .notchBand = 32})
        .clipShape(outline)
        .shadow(Color::black.opacity(0.5), 20, 0, 10)
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
        .foregroundStyle(Color::white)
        .colorScheme(ColorScheme::dark);
}

constexpr Size panel{720, 260};
constexpr double scale = 2;

QImage panelImage() { return bench::panelImage(panel, scale); }

void draw(QImage& image, const DisplayItem& list) { bench::draw(image, list, scale); }

void BM_LayoutAndRender(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    for (auto _ : state) draw(image, graph.update(expandedIsland(art), panel));
    state.counters["views"] = static_cast<double>(graph.displayList().count());
}
BENCHMARK(BM_LayoutAndRender)->Unit(benchmark::kMillisecond);

void BM_LayoutOnly(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    for (auto _ : state) {
        graph.update(expandedIsland(art), panel);
        benchmark::DoNotOptimize(graph.displayList().count());
    }
}
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMillisecond);

// A full animated frame: the island gets a new size and outline inside a spring, so the tree
// is built and laid out again, every view's frame (and the outline's radii) is retargeted with
// its velocity kept, and the frame is presented half a frame later and drawn.
void BM_AnimatedFrame(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    graph.update(expandedIsland(art), panel);
    double t = 0;
    bool wide = false;
    std::size_t moving = 0;
    for (auto _ : state) {
        t += 1.0 / 60;
        wide = !wide;
        withAnimation(Animation::spring(0.3, 0.7), [&] { graph.invalidation().invalidate(); });
        graph.update(expandedIsland(art, wide ? 640 : 600, wide ? 190 : 170, wide ? 14 : 10), panel, {}, {t, Date(t)});
        const DisplayItem& shown = graph.present(t + 1.0 / 120);
        draw(image, shown);
        moving = graph.isAnimating() ? shown.count() : 0;
    }
    state.counters["views"] = static_cast<double>(moving);
}
BENCHMARK(BM_AnimatedFrame)->Unit(benchmark::kMillisecond);

// A frame of that animation between renders: sampled and drawn, nothing rebuilt.
void BM_AnimationStep(benchmark::State& state) {
    qt::ensureGuiApplication();
    const auto art = artwork();
    ViewGraph graph(qt::QtFontEngine::shared());
    QImage image = panelImage();
    graph.update(expandedIsland(art, 600, 170, 10), panel);
    withAnimation(Animation::linear(1e6), [&] { graph.invalidation().invalidate(); });
    graph.update(expandedIsland(art), panel, {}, {0});
    double t = 0;
    for (auto _ : state) {
        t += 1.0 / 60;
        draw(image, graph.present(t));
    }
}
BENCHMARK(BM_AnimationStep)->Unit(benchmark::kMillisecond);

}  // namespace
