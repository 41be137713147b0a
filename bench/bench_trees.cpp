// The view trees the benchmarks draw, built from the view layer's primitives in the shapes of
// the island's views (the real views measure alike once they exist).

#include "bench_trees.h"

#include "island/island_background.h"
#include "island/notch_shape.h"
#include "ui/ui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace quorlix::bench {

using namespace quorlix::ui;

platform::Image artwork() {
    std::vector<std::uint8_t> px(120 * 120 * 4, 255);
    for (std::size_t i = 0; i < px.size(); ++i)
        if (i % 4 != 3) px[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    return platform::Image::fromRGBA(120, 120, std::move(px)).value_or(platform::Image{});
}

namespace {

View tab(const char* symbol, const char* title, bool selected) {
    return HStack({.spacing = 5},
                  {
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

}  // namespace

View progressBar(double fraction, int elapsed) {
    auto clock = [](int seconds) {
        const int m = std::abs(seconds) / 60, s = std::abs(seconds) % 60;
        char text[16];
        std::snprintf(text, sizeof text, "%s%d:%02d", seconds < 0 ? "-" : "", m, s);
        return std::string(text);
    };
    return VStack(
        {.spacing = 4},
        {
            ZStack({.alignment = Alignment::leading},
                   {
                       Capsule().fill(Color::white.opacity(0.18)),
                       Capsule().fill(Color::white).frame({.width = 190 * std::clamp(fraction, 0.0, 1.0)}),
                   })
                .frame({.height = 4}),
            HStack({Text(clock(elapsed)), Spacer(), Text(clock(elapsed - 235))})
                .font(Font::system(10, FontWeight::medium).monospacedDigit())
                .foregroundStyle(Color::white.opacity(0.5)),
        });
}

View expandedIsland(const platform::Image& art, double w, double h, double t, const View* progressRow) {
    const View header = HStack({.spacing = 4}, {
                                                   tab("play.fill", "Música", true),
                                                   tab("cloud.sun.fill", "Clima", false),
                                                   tab("tray.full.fill", "Bandeja", false),
                                                   tab("calendar", "Calendario", false),
                                                   tab("timer", "Temporizador", false),
                                                   Spacer(0),
                                                   Symbol("gearshape.fill")
                                                       .font(Font::system(12, FontWeight::semibold))
                                                       .foregroundStyle(Color::white.opacity(0.6)),
                                               });
    const View progress = progressRow ? *progressRow : progressBar(120.0 / 190, 84);
    const View controls = HStack({.spacing = 0}, {
                                                     control("heart.fill", 13),
                                                     Spacer(0),
                                                     control("backward.fill", 15),
                                                     Spacer(0),
                                                     control("pause.fill", 22),
                                                     Spacer(0),
                                                     control("forward.fill", 15),
                                                     Spacer(0),
                                                     control("hifispeaker.fill", 13),
                                                 });
    const View player = VStack(
        {.alignment = HorizontalAlignment::leading, .spacing = 6},
        {
            Text("Canción de la orilla (Remasterizada 2011)")
                .font(Font::system(14, FontWeight::semibold))
                .lineLimit(1),
            Text("Los Faroles").font(Font::system(12)).foregroundStyle(Color::white.opacity(0.6)).lineLimit(1),
            progress,
            controls,
        });
    const View lyrics =
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
               {
                   Text("Se apaga la ciudad al fondo")
                       .font(Font::system(12, FontWeight::medium))
                       .foregroundStyle(Color::white.opacity(0.25))
                       .lineLimit(1),
                   Text("Caminamos por la orilla mientras el faro cuenta las olas que no vuelven")
                       .font(Font::system(17, FontWeight::bold))
                       .lineLimit(2)
                       .minimumScaleFactor(0.75)
                       .fixedSize(false, true),
                   Text("Y la marea se lleva lo que no dijimos")
                       .font(Font::system(12, FontWeight::medium))
                       .foregroundStyle(Color::white.opacity(0.4))
                       .lineLimit(1),
               })
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading});
    Views bars;
    for (int i = 0; i < 5; ++i)
        bars.push_back(Capsule().fill(Color::white).frame({.width = 2, .height = 4.0 + 2 * i}));
    Views events;
    for (int i = 0; i < 6; ++i) {
        events.push_back(
            HStack({.spacing = 6}, {
                                       Circle().fill(Color::orange).frame({.width = 6, .height = 6}),
                                       Text("Reunión de equipo " + std::to_string(i + 1))
                                           .font(Font::system(11, FontWeight::medium))
                                           .lineLimit(1),
                                       Spacer(0),
                                       Text("en " + std::to_string(5 * i + 5) + " min")
                                           .font(Font::system(10))
                                           .foregroundStyle(Color::white.opacity(0.5)),
                                   }));
    }
    const View body =
        HStack({.alignment = VerticalAlignment::top, .spacing = 14},
               {
                   Image(art)
                       .resizable()
                       .aspectRatio(ContentMode::fill)
                       .frame({.width = 88, .height = 88})
                       .clipShape(RoundedRectangle(14, RoundedCornerStyle::continuous))
                       .shadow(Color::black.opacity(0.4), 8, 0, 4),
                   player.frame({.width = 190}),
                   lyrics,
                   VStack({.alignment = HorizontalAlignment::leading, .spacing = 4}, std::move(events))
                       .frame({.width = 150}),
               });
    const AnyShape outline = NotchShape(t, 32);
    return VStack({.spacing = 12},
                  {header, body, HStack({.spacing = 1.6}, std::move(bars)).frame({.height = 12})})
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

View restingActivity(const platform::Image& art, const View& trailing) {
    const AnyShape outline = Capsule();
    return HStack(
               {.spacing = 0},
               {
                   Image(art).resizable().frame({.width = 20, .height = 20}).clipShape(RoundedRectangle(5)),
                   Spacer(),
                   trailing,
               })
        .padding(Edges::horizontal, 8)
        .frame({.width = 230, .height = 32})
        .background(IslandBackground{.shape = outline})
        .clipShape(outline)
        .shadow(Color::black.opacity(0.3), 6, 0, 2)
        .padding(Edge::top, 3)
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
        .foregroundStyle(Color::white)
        .colorScheme(ColorScheme::dark);
}

View equalizer(double seconds) {
    Views bars;
    for (int i = 0; i < 4; ++i) {
        const double level = 0.5 + 0.5 * std::sin(seconds * (7.0 + 2.3 * i) + i);
        bars.push_back(Capsule().fill(Color::orange).frame({.width = 3, .height = 4 + 10 * level}));
    }
    return HStack({.spacing = 2}, std::move(bars)).frame({.width = 18, .height = 14});
}

}  // namespace quorlix::bench
