#include "island/battery_glyph.h"

#include "ui/shape.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

namespace {

using namespace ui;

// The charge: grows from the body's leading edge, 2 points inside the outline on every side.
View charge(int level, Color color) {
    return GeometryReader([level, color](const GeometryProxy& proxy) {
        const Size body = proxy.size();
        return RoundedRectangle(2, RoundedCornerStyle::continuous)
            .fill(color)
            .frame({.width = BatteryGlyph::fillWidth(body.width, level),
                    .height = std::max(body.height - 4, 0.0)})
            .padding(2)
            .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading});
    });
}

View tip(double opacity) {
    return Capsule(RoundedCornerStyle::continuous)
        .fill(Color::white.opacity(opacity))
        .frame({.width = 1.5, .height = 4});
}

}  // namespace

double BatteryGlyph::fillWidth(double width, int level) {
    return std::max((width - 4) * std::clamp(level, 0, 100) / 100.0, 2.0);
}

ui::View BatteryGlyph::body(ui::Context&) const {
    const RoundedRectangle outline(3.5, RoundedCornerStyle::continuous);
    if (style == BatteryStyle::outline) {
        const View inside = charging ? View(Symbol("bolt.fill")
                                                .font(Font::system(8, FontWeight::heavy))
                                                .foregroundStyle(Color::white))
                                     : charge(level, Color::white);
        return HStack({.alignment = VerticalAlignment::center, .spacing = 1},
                      {ZStack({outline.strokeBorder(Color::white.opacity(0.85), 1.2), inside}), tip(0.85)});
    }
    return HStack({.alignment = VerticalAlignment::center, .spacing = 1},
                  {ZStack({.alignment = Alignment::leading},
                          {outline.strokeBorder(Color::white.opacity(0.4), 1), charge(level, color)}),
                   tip(0.4)});
}

}  // namespace quorlix
