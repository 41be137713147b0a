#include "island/mini_ring.h"

#include "island/ring_gauge.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/lifecycle.h"

namespace quorlix {

ui::View MiniRing::body(ui::Context& ctx) const {
    using namespace ui;
    const auto appeared = ctx.state<bool>(false);
    // The arc grows in once, then springs to each new level. Each animation goes with the
    // change it animates, so rings appearing together keep their own.
    return View(RingGauge{.progress = appeared ? value / 100.0 : 0,
                          .color = ringColor(value),
                          .lineWidth = 2.6,
                          .trackOpacity = 0.16,
                          .glows = true})
        .animation(Animation::spring(0.9, 0.85).delay(0.2), appeared.get())
        .animation(Animation::spring(0.6, 0.85), value)
        .onAppear([appeared] { appeared = true; });
}

}  // namespace quorlix
