#include "island/brightness_hud_view.h"

#include "island/level_bar.h"
#include "island/pods_glyph.h"
#include "island/wings.h"
#include "ui/animation.h"

namespace quorlix {

ui::View BrightnessHUDView::body(ui::Context&) const {
    using namespace ui;
    return Wings{
        .notch = notch,
        .left = PodsGlyph{.symbol = level < 0.5f ? "sun.min.fill" : "sun.max.fill",
                          .size = 14,
                          .tint = Color::sRGB(1.0, 0.84, 0.35)}
                    .rotationEffect(Angle::degrees(static_cast<double>(level) * 90))
                    .animation(Animation::spring(0.4, 0.7, 0), level),
        .right = LevelBar{.value = static_cast<double>(level), .tint = Color::white}.frame({.height = 5})};
}

}  // namespace quorlix
