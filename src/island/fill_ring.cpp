#include "island/fill_ring.h"

#include "island/ring_gauge.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

namespace quorlix {

ui::View FillRing::body(ui::Context& ctx) const {
    using namespace ui;
    const auto progress = ctx.state<double>(0);
    const double target = value / 100.0;
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 4},
                  {
                      ZStack({
                                 RingGauge{.progress = progress,
                                           .color = ringColor(value),
                                           .lineWidth = 3.5,
                                           .trackOpacity = 0.14},
                                 Text(std::to_string(value))
                                     .font(Font::system(10, FontWeight::bold).monospacedDigit())
                                     .foregroundStyle(Color::white),
                             })
                          .frame({.width = 32, .height = 32}),
                      Text(label)
                          .font(Font::system(9, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.55)),
                  })
        // Set once: a later level changes the number, not the arc. The animation goes with the
        // change of `progress`, so rings appearing together each keep their own delay.
        .animation(Animation::spring(0.9, 0.85).delay(delay + 0.15), progress.get())
        .onAppear([progress, target] { progress = target; });
}

}  // namespace quorlix
