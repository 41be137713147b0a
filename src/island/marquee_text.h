#pragma once
// A single line of text that stands still when it fits and, when it is wider than its space,
// scrolls left in an endless loop: after a pause of 1.5 s the text and a copy 32 points
// behind it slide by the text's width plus the gap at 28 points a second, and start over;
// both edges fade. A new text starts the loop again from the beginning. The view is 17 points
// tall, takes all the width it is offered, and clips what exceeds it. Its scroll is one
// repeating offset animation: no timer of its own.
//
//     MarqueeText{.text = track.title, .font = Font::system(14, FontWeight::semibold)}

#include "ui/font.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct MarqueeText : ui::ViewModifiers<MarqueeText> {
    std::string text;
    ui::Font font;
    // Where a text that fits stands: centred, or at the leading edge.
    bool centered = false;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
