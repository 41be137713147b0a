#include "island/device_detail_view.h"

#include "island/device_art.h"
#include "island/fill_ring.h"
#include "island/pop_in.h"
#include "island/wings.h"
#include "ui/views.h"

namespace quorlix {

ui::View DeviceDetailView::body(ui::Context&) const {
    using namespace ui;
    const View top =
        Wings{.notch = notch,
              .left = DeviceArt{.kind = device.kind, .symbol = deviceSymbol(device.kind), .size = 22},
              .right = Text("Conectado")
                           .font(Font::system(11, FontWeight::semibold))
                           .foregroundStyle(Color::green)
                           .lineLimit(1)};

    Views card{
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 2},
               {
                   Text(device.name)
                       .font(Font::system(12.5, FontWeight::semibold))
                       .foregroundStyle(Color::white)
                       .lineLimit(1),
                   Text("Batería").font(Font::system(10.5)).foregroundStyle(Color::white.opacity(0.5)),
               }),
        Spacer(),
    };
    const BatteryLevels& b = device.battery;
    const auto ring = [&card](const std::optional<std::int64_t>& level, const char* label, double delay) {
        if (level)
            card.push_back(FillRing{.value = static_cast<int>(*level), .label = label, .delay = delay});
    };
    ring(b.left, "Izq.", 0.05);
    ring(b.right, "Der.", 0.15);
    ring(b.caseLevel, "Estuche", 0.25);
    ring(b.main, "Batería", 0.05);

    return VStack({.alignment = HorizontalAlignment::center, .spacing = 0},
                  {
                      top,
                      popIn(HStack({.alignment = VerticalAlignment::center, .spacing = 14}, std::move(card))
                                .padding(Edges::horizontal, 18)
                                .frame({.maxHeight = infinity}),
                            0.08),
                  });
}

}  // namespace quorlix
