#include "island/level_bar.h"

#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

double LevelBar::fill(double value, bool appeared) {
    // Not above 0 (a NaN included) is empty.
    if (!appeared || !(value > 0)) return 0;
    return std::min(value, 1.0);
}

ui::View LevelBar::body(ui::Context& ctx) const {
    using namespace ui;
    const auto appeared = ctx.state<bool>(false);
    const double f = fill(value, appeared);
    const Color fillColor = tint;
    return GeometryReader([f, fillColor](const GeometryProxy& proxy) {
               return ZStack({.alignment = Alignment::leading},
                             {
                                 Capsule(RoundedCornerStyle::continuous).fill(Color::white.opacity(0.18)),
                                 Capsule(RoundedCornerStyle::continuous)
                                     .fill(fillColor)
                                     .frame({.width = proxy.size().width * f}),
                             });
           })
        // A new bar grows from empty to its value; the entrance's animation goes with the
        // change of `appeared`, so bars appearing together each keep their own.
        .animation(Animation::spring(0.55, 0.8).delay(0.12), appeared.get())
        .animation(Animation::easeOut(0.15), value)
        .onAppear([appeared] { appeared = true; });
}

}  // namespace quorlix
