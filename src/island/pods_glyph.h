#pragma once
// The shaded symbol of the HUDs: a system symbol in semibold with a diagonal gradient of its
// tint, a soft glow and a drop shadow, popping in when it first appears. With `wobble` it
// also swings in about its vertical axis from -55 degrees; `flat` draws it in one plain
// colour, without gradient, shadows or swing. A new symbol shown inside an animation replaces
// the old one.
//
//     PodsGlyph{.symbol = "speaker.wave.2.fill", .size = 13, .tint = Color::white}
//     PodsGlyph{.symbol = "headphones", .size = 14.96, .tint = Color::white, .wobble = true}

#include "ui/color.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct PodsGlyph : ui::ViewModifiers<PodsGlyph> {
    std::string symbol;
    // Font size of the symbol, points.
    double size = 13;
    ui::Color tint = ui::Color::white;
    bool wobble = false;
    bool flat = false;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
