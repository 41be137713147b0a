#include "island/alert_hud_view.h"

#include "island/pods_glyph.h"
#include "island/pop_in.h"
#include "island/wings.h"
#include "ui/display_list.h"
#include "ui/views.h"

namespace quorlix {

ui::Color color(IslandAlert::Tint tint) {
    using ui::Color;
    switch (tint) {
        case IslandAlert::Tint::white: return Color::white;
        case IslandAlert::Tint::orange: return Color::orange;
        case IslandAlert::Tint::green: return Color::green;
        case IslandAlert::Tint::red: return Color::red;
        case IslandAlert::Tint::accent: return Color::quorlixAccent;
        case IslandAlert::Tint::calendar: return Color::sRGB(1.0, 0.38, 0.35);
        case IslandAlert::Tint::focus: return Color::sRGB(0.42, 0.42, 1.0);
        case IslandAlert::Tint::dim: return Color::gray(0.55);
    }
    return Color::white;
}

ui::View AlertHUDView::body(ui::Context&) const {
    using namespace ui;
    const Color tint = color(alert.tint);

    if (alert.compact) {
        const bool small = isSmallNotch(notch);
        return Wings{.notch = notch,
                     .edge = small ? 7.0 : 9.0,
                     .inner = 2,
                     .left = popIn(Symbol(alert.symbol)
                                       .font(Font::system(small ? 11.5 : 13.5, FontWeight::semibold))
                                       .foregroundStyle(tint)
                                       .contentTransition(ContentTransition::symbolReplace()),
                                   0.04),
                     .right = popIn(Text(alert.text)
                                        .font(Font::system(small ? 11 : 12.5, FontWeight::bold))
                                        .foregroundStyle(tint)
                                        .lineLimit(1)
                                        .fixedSize(),
                                    0.09)};
    }

    Views left{PodsGlyph{.symbol = alert.symbol, .size = 14, .tint = tint, .wobble = true}};
    if (alert.detail)
        left.push_back(popIn(Text(*alert.detail)
                                 .font(Font::system(11.5, FontWeight::bold).monospacedDigit())
                                 .foregroundStyle(tint)
                                 .lineLimit(1),
                             0.1));
    return Wings{.notch = notch,
                 .left = HStack({.alignment = VerticalAlignment::center, .spacing = 7}, std::move(left)),
                 .right = popIn(Text(alert.text)
                                    .font(Font::system(11.5, FontWeight::semibold))
                                    .minimumScaleFactor(0.85)
                                    .foregroundStyle(Color::white.opacity(0.92))
                                    .lineLimit(1)
                                    .truncationMode(TruncationMode::tail),
                                0.15)};
}

}  // namespace quorlix
