// Scenes of the island's outline and background.

#include "island/island_background.h"
#include "island/notch_shape.h"
#include "snapshot/scene.h"
#include "ui/views.h"

#include <cstdio>

namespace quorlix::snapshot {

namespace {

using namespace ui;

std::string label(double t, double b) {
    char text[64];
    std::snprintf(text, sizeof text, "%g / %g", t, b);
    return text;
}

View outline(double t, double b, double width, double height) {
    return VStack({.spacing = 8}, {
        NotchShape(t, b).fill(Color::black).frame({.width = width, .height = height}),
        Text(label(t, b)).font(Font::system(11, FontWeight::medium)).foregroundStyle(Color::white.opacity(0.8)),
    });
}

const Scene notchShapes{"notch-shape", {800, 380}, [] {
    return VStack({.spacing = 28}, {
        HStack({.alignment = VerticalAlignment::top, .spacing = 28}, {
            outline(6, 10, 192, 32),   // idle
            outline(6, 13, 260, 32),   // live and the HUDs
            outline(10, 24, 220, 90),  // device detail
        }),
        HStack({.alignment = VerticalAlignment::top, .spacing = 28}, {
            outline(14, 24, 240, 150),  // expanded, narrow
            outline(14, 32, 190, 150),  // expanded, wide
            outline(0, 500, 110, 60),   // no flare; the bottom clamped to half the body
            outline(12, 500, 110, 40),  // the bottom clamped to the end of the flares
        }),
    }).padding(20);
}};

View captioned(View v, const char* text) {
    return VStack({.spacing = 8}, {
        std::move(v),
        Text(text).font(Font::system(11, FontWeight::medium)).foregroundStyle(Color::white.opacity(0.8)),
    });
}

const Scene islandBackground{"island-background", {560, 330}, [] {
    const double notchHeight = 32;
    return VStack({.spacing = 22}, {
        // Over a notch: the outline's flares stand outside the content's width.
        captioned(IslandBackground{.shape = NotchShape(6, 13), .notchBand = notchHeight}
                      .frame({.width = 300 + 12, .height = notchHeight}),
                  "over a notch (6 / 13)"),
        // Floating: a capsule.
        captioned(IslandBackground{.shape = Capsule(RoundedCornerStyle::continuous)}.frame({.width = 180, .height = 34}),
                  "floating"),
        // Expanded over a notch, with the island's shadow.
        captioned(IslandBackground{.shape = NotchShape(14, 24), .notchBand = notchHeight}
                      .frame({.width = 440 + 28, .height = 90})
                      .shadow(Color::black.opacity(0.5), 20, 0, 10),
                  "expanded (14 / 24), shadow 0.5, radius 20, y 10"),
    }).frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top});
}};

}  // namespace

}  // namespace quorlix::snapshot
