#pragma once
// A drawn battery icon in one of the two looks of the `batteryStyle` setting: `outline`, a
// white outline with a white fill (or a bolt while charging), or `filled`, a faint outline
// with a fill in `color`. The fill grows from the left with the level and is never thinner
// than 2 points. The caller gives the frame (the battery HUD uses 24 by 11).
//
//     BatteryGlyph{.level = 87, .color = Color::white, .style = BatteryStyle::filled}

#include "foundation/app_settings.h"
#include "ui/color.h"
#include "ui/view.h"

namespace quorlix {

struct BatteryGlyph : ui::ViewModifiers<BatteryGlyph> {
    // Percent, 0...100.
    int level = 0;
    // The fill's colour in the filled look.
    ui::Color color = ui::Color::white;
    BatteryStyle style = BatteryStyle::filled;
    // Draws a bolt instead of the fill, in the outline look only.
    bool charging = false;

    // The fill's width inside a body `width` points wide.
    static double fillWidth(double width, int level);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
