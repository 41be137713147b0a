#include "island/device_detail_view.h"

#include "island/device_art.h"
#include "island/fill_ring.h"
#include "island/island_environment.h"
#include "island/pop_in.h"
#include "island/wings.h"
#include "ui/context.h"
#include "ui/views.h"

#include <optional>
#include <string_view>
#include <vector>

namespace quorlix {

namespace {

// On a floating island: how far the top row stays from the outline's sides and top.
constexpr double floatingTopInset = 20;
constexpr double floatingTopGap = 6;

}  // namespace

ui::View DeviceDetailView::body(ui::Context& ctx) const {
    using namespace ui;
    // A floating island has no camera housing to leave room for, but round corners of 30
    // points and less width: the top row moves in from the corners, and the card's parts
    // stand closer, so the name keeps its room.
    const bool floating = ctx.environment(floatingIsland);
    const View art = DeviceArt{.kind = device.kind, .symbol = deviceSymbol(device.kind), .size = 22};
    const View connected = Text("Conectado")
                               .font(Font::system(11, FontWeight::semibold))
                               .foregroundStyle(Color::green)
                               .lineLimit(1);
    const View top =
        floating ? HStack({.alignment = VerticalAlignment::center, .spacing = 8}, {art, Spacer(), connected})
                       .padding(Edges::horizontal, floatingTopInset)
                       .frame({.height = notch.height})
                       .padding(Edge::top, floatingTopGap)
                 : View(Wings{.notch = notch, .left = art, .right = connected});

    Views card{
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
               {
                   Text(device.name)
                       .font(Font::system(12.5, FontWeight::semibold))
                       .foregroundStyle(Color::white)
                       .lineLimit(1),
                   Text("Batería").font(Font::system(10.5)).foregroundStyle(Color::white.opacity(0.5)),
               }),
        floating ? Spacer(0) : Spacer(),
    };
    // Each ring is the part it shows, wherever it stands: a part that comes or goes leaves the
    // others' rings as they were.
    struct Part {
        const char* label;
        std::optional<std::int64_t> level;
        double delay;
    };
    const BatteryLevels& b = device.battery;
    std::vector<Part> parts;
    for (const Part& part : {Part{"Izq.", b.left, 0.05}, Part{"Der.", b.right, 0.15},
                             Part{"Estuche", b.caseLevel, 0.25}, Part{"Batería", b.main, 0.05}})
        if (part.level) parts.push_back(part);
    card.push_back(ForEach(
        parts, [](const Part& part) { return std::string_view(part.label); },
        [](const Part& part) {
            return FillRing{.value = static_cast<int>(*part.level), .label = part.label, .delay = part.delay};
        }));

    return VStack({.alignment = HorizontalAlignment::center, .spacing = 0},
                  {
                      top,
                      popIn(HStack({.alignment = VerticalAlignment::center, .spacing = floating ? 6.0 : 14.0},
                                   std::move(card))
                                .padding(Edges::horizontal, floating ? 16 : 18)
                                .frame({.maxHeight = infinity}),
                            0.08),
                  });
}

}  // namespace quorlix
