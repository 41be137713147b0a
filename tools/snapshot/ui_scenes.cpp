// Galleries of the view layer itself: text styles, every catalogued symbol, and effects.

#include "snapshot/scene.h"
#include "ui/progress_view.h"
#include "ui/symbol_catalog.h"
#include "ui/views.h"

#include <cmath>
#include <cstdint>

namespace quorlix::snapshot {

namespace {

using namespace ui;

const Color dim = Color::white.opacity(0.55);

View caption(std::string text) { return Text(std::move(text)).font(Font::system(10, FontWeight::medium)).foregroundStyle(dim); }

const Scene textStyles{"text-styles", {640, 620}, [] {
    const std::pair<FontWeight, const char*> weights[] = {
        {FontWeight::ultraLight, "ultraLight"}, {FontWeight::thin, "thin"},     {FontWeight::light, "light"},
        {FontWeight::regular, "regular"},       {FontWeight::medium, "medium"}, {FontWeight::semibold, "semibold"},
        {FontWeight::bold, "bold"},             {FontWeight::heavy, "heavy"},   {FontWeight::black, "black"},
    };
    Views rows;
    for (const auto& [w, name] : weights) {
        rows.push_back(HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 12}, {
            Text("Canción sin título").font(Font::system(17, w)),
            Text("Canción").font(Font::system(17, w, FontDesign::rounded)),
            Text("08:45").font(Font::system(17, w, FontDesign::monospaced)),
            caption(name),
        }));
    }
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 10}, {
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 4}, std::move(rows)),
        HStack({.alignment = VerticalAlignment::firstTextBaseline, .spacing = 16}, {
            VStack({.alignment = HorizontalAlignment::trailing, .spacing = 2}, {
                Text("1:11").font(Font::system(22, FontWeight::bold)),
                Text("8:48").font(Font::system(22, FontWeight::bold)),
                caption("proportional"),
            }),
            VStack({.alignment = HorizontalAlignment::trailing, .spacing = 2}, {
                Text("1:11").font(Font::system(22, FontWeight::bold).monospacedDigit()),
                Text("8:48").font(Font::system(22, FontWeight::bold).monospacedDigit()),
                caption("monospaced digits"),
            }),
            VStack({.alignment = HorizontalAlignment::trailing, .spacing = 2}, {
                Text("12:05").font(Font::system(46, FontWeight::bold, FontDesign::rounded)),
                caption("rounded, 46 bold"),
            }),
        }),
        Text("Esta letra no está sincronizada, así que se muestra envuelta en varias líneas dentro de su marco.")
            .font(Font::system(13))
            .frame({.width = 300, .alignment = Alignment::leading})
            .background(Color::white.opacity(0.06)),
        HStack({.spacing = 16}, {
            VStack({.alignment = HorizontalAlignment::leading, .spacing = 2}, {
                Text("Canción de la orilla (Remasterizada 2011)").font(Font::system(17, FontWeight::bold)).lineLimit(1)
                    .frame({.width = 180, .alignment = Alignment::leading}).background(Color::white.opacity(0.06)),
                caption("truncated"),
            }),
            VStack({.alignment = HorizontalAlignment::leading, .spacing = 2}, {
                Text("Canción de la orilla (En vivo)").font(Font::system(17, FontWeight::bold)).lineLimit(1)
                    .minimumScaleFactor(0.75).frame({.width = 180, .alignment = Alignment::leading})
                    .background(Color::white.opacity(0.06)),
                caption("shrunk to 0.75"),
            }),
            VStack({.alignment = HorizontalAlignment::leading, .spacing = 2}, {
                Text("Una línea muy larga que no cabe").font(Font::system(13)).lineLimit(1).truncationMode(TruncationMode::middle)
                    .frame({.width = 150, .alignment = Alignment::leading}).background(Color::white.opacity(0.06)),
                caption("middle"),
            }),
        }),
        Text("Texto con degradado").font(Font::system(28, FontWeight::heavy, FontDesign::rounded))
            .foregroundStyle(LinearGradient({Color::white, Color::sRGB(0.04, 0.52, 1.0)}, UnitPoint::top, UnitPoint::bottom)),
    })
        .foregroundStyle(Color::white)
        .padding(20)
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading});
}, Color::sRGB(0.11, 0.11, 0.12)};

const Scene symbols{"symbols", {760, 940}, [] {
    const auto catalog = symbolCatalog();
    const std::size_t perRow = 7;
    Views rows;
    for (std::size_t start = 0; start < catalog.size(); start += perRow) {
        Views cells;
        for (std::size_t i = start; i < std::min(catalog.size(), start + perRow); ++i) {
            cells.push_back(VStack({.spacing = 6}, {
                Symbol(std::string(catalog[i].name)).font(Font::system(20, FontWeight::medium)),
                Text(std::string(catalog[i].name)).font(Font::system(8.5)).foregroundStyle(dim).lineLimit(1)
                    .minimumScaleFactor(0.7),
            }).frame({.width = 100, .height = 62}));
        }
        rows.push_back(HStack({.spacing = 4}, std::move(cells)));
    }
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 4}, std::move(rows))
        .foregroundStyle(Color::white)
        .padding(14)
        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::topLeading});
}, Color::sRGB(0.11, 0.11, 0.12)};

platform::Image checkerboard(int w, int h) {
    std::vector<std::uint8_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool odd = ((x / 16) + (y / 16)) % 2;
            px.insert(px.end(), {static_cast<std::uint8_t>(40 + 200 * x / w), static_cast<std::uint8_t>(odd ? 200 : 90),
                                 static_cast<std::uint8_t>(40 + 200 * y / h), 255});
        }
    return platform::Image::fromRGBA(w, h, std::move(px)).value_or(platform::Image{});
}

const Scene effects{"effects", {700, 330}, [] {
    const auto picture = checkerboard(160, 96);
    auto tile = [](View v, std::string name) {
        return VStack({.spacing = 8}, {v.frame({.width = 110, .height = 110}), caption(std::move(name))});
    };
    return VStack({.spacing = 20}, {
        HStack({.spacing = 14}, {
            tile(Capsule().fill(Color::orange).frame({.width = 90, .height = 36}), "capsule"),
            tile(Image(picture).resizable().aspectRatio(ContentMode::fill).frame({.width = 80, .height = 80})
                     .clipShape(RoundedRectangle(18, RoundedCornerStyle::continuous)), "clipped image"),
            tile(RoundedRectangle(14, RoundedCornerStyle::continuous).fill(Color::white).frame({.width = 70, .height = 70})
                     .shadow(Color::black.opacity(0.6), 12, 0, 6), "shadow"),
            tile(Symbol("sun.max.fill").font(Font::system(44)).foregroundStyle(Color::yellow).blur(5), "blur"),
            tile(Image(picture).resizable().frame({.width = 90, .height = 60}).saturation(0), "saturation 0"),
        }),
        HStack({.spacing = 14}, {
            tile(Circle().trim(0, 0.7).stroke(Color::green, StrokeStyle{.lineWidth = 6, .lineCap = LineCap::round})
                     .rotationEffect(Angle::degrees(-90)).frame({.width = 60, .height = 60}), "trim"),
            tile(RoundedRectangle(12, RoundedCornerStyle::continuous)
                     .strokeBorder(Color::white.opacity(0.7), StrokeStyle{.lineWidth = 1.5, .dash = {6, 5}})
                     .frame({.width = 90, .height = 70}), "dashed border"),
            tile(RoundedRectangle(10).fill(RadialGradient({Color::pink, Color::purple}, UnitPoint::center, 0, 45))
                     .frame({.width = 80, .height = 80}), "radial"),
            tile(RoundedRectangle(10, RoundedCornerStyle::continuous).fill(Color::blue).frame({.width = 70, .height = 70})
                     .rotation3DEffect(Angle::degrees(-55), {0, 1, 0}, UnitPoint::center, 0, 0.6), "3D, -55°"),
            tile(Text("Desvanecido").font(Font::system(15, FontWeight::bold)).foregroundStyle(Color::white)
                     .frame({.width = 100})
                     .mask(LinearGradient({Color::black, Color::black.opacity(0)}, UnitPoint::leading, UnitPoint::trailing)),
                 "gradient mask"),
        }),
    }).padding(16);
}, Color::sRGB(0.2, 0.22, 0.26)};

// The spinner at its three sizes, in the dark scheme and beside a label as panes use it.
const Scene progressViews{"progress-view", {300, 90}, [] {
    return HStack({.spacing = 24}, {
        ProgressView{.controlSize = ControlSize::mini},
        ProgressView{.controlSize = ControlSize::small},
        ProgressView{.controlSize = ControlSize::regular},
        HStack({.spacing = 6}, {ProgressView{.controlSize = ControlSize::small}, Text("Buscando…").font(Font::system(13))}),
    }).padding(16).colorScheme(ColorScheme::dark);
}, Color::sRGB(0.2, 0.22, 0.26)};

// Emoji beside Latin capitals: those another installed face also holds (😀, ☀️, ❤️, 👍) in
// colour as those only the colour face holds, at the size of the line's emoji; a text-style
// request (U+FE0E) in the text face.
const Scene textEmoji{"text-emoji", {420, 150}, [] {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 6}, {
        Text("Hola \U0001F600 \u2600\uFE0F \u2764\uFE0F \U0001F642 \u2728 \U0001F44D")
            .font(Font::system(15, FontWeight::semibold)),
        Text("Sonrisas \U0001F600 \u2764\uFE0F \U0001F44D").font(Font::system(13)).foregroundStyle(dim),
        Text("Cumplea\u00F1os \U0001F382\U0001F389").font(Font::system(13, FontWeight::semibold)),
        Text("Texto \u2600\uFE0E \u2764\uFE0E y color \u2600\uFE0F \u2764\uFE0F").font(Font::system(13)),
    }).padding(12);
}, Color::sRGB(0.2, 0.22, 0.26)};

}  // namespace

}  // namespace quorlix::snapshot
